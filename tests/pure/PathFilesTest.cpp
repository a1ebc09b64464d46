// Camera paths as data: a path file read back gives the very camera, frame by frame, of the
// path written (the demo's own table over a whole lap); files the camera could not fly or
// show are refused with the row and the reason, and those it can are flown with a view in
// every frame; only a regular file within the limits is read; a path authored by key views
// is one the camera can show; the tour made for a scene keeps the scene in view and visits
// each reflective or refractive object from its side; a drawn view saved by the study
// tool flies back as the same camera.
#include "paths/LapLength.h"
#include "TestScene.h"

#include "paths/PathFile.h"
#include "paths/PathRules.h"
#include "paths/Tour.h"
#include "math/Camera.h"
#include "math/Framing.h"
#include "record/RecordOptions.h"
#include "study/FreeCamera.h"
#include "study/PathDraft.h"
#include "study/StudyOptions.h"
#include "study/ViewFile.h"

#include <nlohmann/json.hpp>

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

using namespace Quessel;

namespace {
struct Flown {
    Camera camera;
    CameraPath path;
    explicit Flown(const CameraPath::Script& script) : path(camera, script) { path.start(); }
};

// Whether the point is in the demo's view from `camera` through `projection`.
bool inView(const mat4& projection, const mat4& view, const vec3& point) {
    const vec4 clip = projection * view * vec4(point, 1.0f);
    return clip.w > 0.0f && std::abs(clip.x) <= clip.w && std::abs(clip.y) <= clip.w && std::abs(clip.z) <= clip.w;
}
}  // namespace

TEST(PathFiles, TheDemosPathFromItsFileFliesTheBuiltInTableFrameByFrame) {
    const Quessel::Test::ScratchDir folder;
    const std::string file = folder.file("demo.json");
    std::string error;
    ASSERT_TRUE(PathFile::write(CameraPath::Script::demo(), file, error)) << error;
    const auto read = PathFile::read(file, error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(PathFile::text(*read), PathFile::text(CameraPath::Script::demo()));
    Flown table(CameraPath::Script::demo()), fromFile(*read);
    const float step = 1.0f / 30.0f;
    const long lap = LapLength::framesToLapEnd(0.0, step);
    for (long frame = 0; frame <= lap; ++frame) {
        table.path.advance(step);
        fromFile.path.advance(step);
        ASSERT_EQ(fromFile.path.step, table.path.step) << "frame " << frame;
        ASSERT_EQ(fromFile.camera.view, table.camera.view) << "frame " << frame;
        ASSERT_EQ(fromFile.camera.previousView, table.camera.previousView) << "frame " << frame;
        ASSERT_EQ(fromFile.camera.position, table.camera.position) << "frame " << frame;
    }
    EXPECT_EQ(fromFile.path.laps, 1);
}

TEST(PathFiles, AFileTheCameraCouldNotFlyOrShowIsRefusedWithTheRowAndWhy) {
    const std::string start = R"("start": {"position": [0, 0, 5], "looking_at": [0, 0, 0]})";
    const auto file = [&](const std::string& rows) { return "{" + start + R"(, "rows": [)" + rows + "]}"; };
    const auto startAt = [](const std::string& position, const std::string& target) {
        return R"({"start": {"position": )" + position + R"(, "looking_at": )" + target +
               R"(}, "rows": [{"kind": "hold", "seconds": 1}]})";
    };
    const std::string hold = R"({"kind": "hold", "seconds": 1})";
    std::string tooMany = hold;
    for (size_t i = 1; i <= PathRules::MaxRows; ++i) tooMany += ", " + hold;
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"[1, 2", "not JSON"},
        {R"({"rows": []})", "\"start\": missing"},
        {R"({"start": {"position": [1, 1, 1], "looking_at": [1, 1, 1]}, "rows": []})",
         "looks at the point it stands on"},
        {file(""), "\"rows\": none: a path needs at least one row"},
        {file(tooMany), "\"rows\": 10001 rows, more than the 10000 a path may have"},
        {file(hold + ", 7"), "row 2: not an object"},
        {file(hold + R"(, {"kind": "jump", "seconds": 1})"), "row 2: unknown kind \"jump\""},
        {file(R"({"kind": "hold", "seconds": -2})"), "row 1: \"seconds\" is -2, not above 0"},
        {file(R"({"kind": "hold", "seconds": 0})"), "row 1: \"seconds\" is 0, not above 0"},
        // An hour at most: a float clock counts that finely; a year it would not.
        {file(hold + R"(, {"kind": "hold", "seconds": 1e9})"), "row 2: \"seconds\" is 1e+09, more than the 3600"},
        {file(R"({"kind": "hold", "seconds": 3600.5})"), "row 1: \"seconds\" is 3600.5, more than the 3600"},
        // Beyond what the camera's floats hold; JSON itself has no infinities.
        {file(hold + R"(, {"kind": "move", "seconds": 1, "from": [0, 0, 1e39], "to": [1, 2, 3]})"),
         "row 2: \"from\" holds a number that is not finite"},
        {file(hold + R"(, {"kind": "hold", "seconds": 1e999})"), "row 2: \"seconds\" is not finite"},
        {file(R"({"kind": "hold", "seconds": 1, "note": "1e999"}, {"kind": "hold", "seconds": 1e999})"),
         "row 2: \"seconds\" is not finite"},
        {file(R"({"kind": "turn", "seconds": 1, "from": [0, -1e400, 1], "to": [1, 0, 0]})"),
         "row 1: \"from\" holds a number that is not finite"},
        {file(R"({"kind": "move", "seconds": 1, "from": [0, 0], "to": [1, 2, 3]})"),
         "row 1: \"from\" is not three numbers"},
        {file(R"({"kind": "move", "seconds": 1, "from": [1, 2, 3], "to": [1, 2, 3]})"),
         "row 1: a move from a point to the same point"},
        {file(R"({"kind": "turn", "seconds": 1, "from": [0, 0, 1], "to": [0, 0, -2]})"),
         "row 1: a turn between opposite directions"},
        {file(hold + "," + hold + R"(, {"kind": "turn", "seconds": 1, "from": [0, 0, 1]})"), "row 3: no \"to\""},
        // Views without an up direction, or without a direction at all.
        {startAt("[2, 9, 3]", "[2, 0, 3]"), "\"start\": looks straight down at its \"looking_at\" point"},
        {startAt("[0, 9, 0]", "[0.005, 0, 0]"), "\"start\": looks straight down"},
        {startAt("[2, 0, 3]", "[2, 9, 3.000001]"), "\"start\": looks straight up"},
        {file(R"({"kind": "move", "seconds": 1, "from": [0, 0, 5], "to": [0, 4, 5]})"),
         "row 1: a move straight up: it looks the way it goes"},
        {file(R"({"kind": "move", "seconds": 1, "from": [5e5, 0, 0], "to": [500000.3, -100, 0]})"),
         "row 1: a move straight down"},
        {file(hold +
              R"(, {"kind": "move", "seconds": 1, "from": [-1, 1, 0], "to": [3, 1, 0], "looking_at": [0, 1, 0]})"),
         "row 2: passes through its \"looking_at\" point 25 % into its seconds"},
        {file(R"({"kind": "move", "seconds": 1, "from": [0, 1, 0], "to": [3, 1, 0], "looking_at": [0, 1, 0]})"),
         "row 1: starts on its \"looking_at\" point"},
        {file(
             R"({"kind": "move", "seconds": 1, "from": [-1, 5, 0.002], "to": [1, 5, 0.002], "looking_at": [0, 0, 0]})"),
         "row 1: looks straight down at its \"looking_at\" point 50 % into its seconds"},
        {file(R"({"kind": "turn", "seconds": 1, "from": [0, 0, -1], "to": [0, -3, 0]})"),
         "row 1: turns to look straight down at its end"},
        {file(R"({"kind": "turn", "seconds": 1, "from": [1, 1, 0], "to": [-1, 1, 0.0005]})"),
         "row 1: turns to look straight up 50 % into its seconds"},
        // Far from the origin a unit direction added to where the camera stands rounds away.
        {startAt("[3e6, 0, 0]", "[3e6, 0, -50]"), "\"start\": looks round 3e+06 from the origin, too far"},
        {file(R"({"kind": "move", "seconds": 1, "from": [0, 0, 5], "to": [4e4, 0, 0]},
                 {"kind": "turn", "seconds": 1, "from": [1, -30, 0], "to": [0, -30, 1]})"),
         "row 2: looks nearly straight up or down 4e+04 from the origin"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(PathFile::parse(c.text, error)) << c.text.substr(0, 300);
        EXPECT_NE(error.find(c.error), std::string::npos) << "said \"" << error << "\" for " << c.text.substr(0, 300);
    }
}

TEST(PathFiles, ViewsTheCameraCanShowAreFlownWithADirectionAndAnUpInEveryFrame) {
    const auto file = [](const std::string& start, const std::string& rows) {
        return R"({"start": {"position": [0, 0, 5], "looking_at": )" + start + R"(}, "rows": [)" + rows + "]}";
    };
    const struct {
        std::string text;
        const char* what;
    } cases[] = {
        {file("[0, 0, 0]", R"({"kind": "hold", "seconds": 1}, {"kind": "move", "seconds": 2, "from": [1, 2, 3],
             "to": [1, 2, 3], "looking_at": [0, 0, 0]})"),
         "a move on the spot looking at a point"},
        {file("[0.05, -20, 5]", R"({"kind": "hold", "seconds": 1})"), "a start nearly straight down"},
        {file("[0, 0, 0]",
              R"({"kind": "move", "seconds": 1, "from": [0, 0, 5], "to": [2, 0, 1], "looking_at": [2, 0, 1]},
             {"kind": "hold", "seconds": 1})"),
         "a move onto its own look-at point, which looks along its way"},
        {file("[0, 0, 0]", R"({"kind": "turn", "seconds": 1, "from": [0, 0, -1], "to": [0.01, -1, 0]})"),
         "a turn to nearly straight down"},
        {file("[0, 0, 0]", R"({"kind": "hold", "seconds": 3600, "note": "1e999"})"), "an hour's hold, a note"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        const auto script = PathFile::parse(c.text, error);
        ASSERT_TRUE(script) << error;
        Flown flown(*script);
        const float step = 1.0f / 30.0f;
        for (int frame = 0; frame < static_cast<int>(script->seconds() / step) + 30 && flown.path.laps == 0; ++frame) {
            flown.path.advance(step);
            const mat4& view = flown.camera.view;
            bool finite = true;
            for (int i = 0; i < 16; ++i) finite = finite && std::isfinite(view[i / 4][i % 4]);
            ASSERT_TRUE(finite) << "frame " << frame;
            // The view's up, its second row, leans up.
            ASSERT_GT(view[1][1], 0.0f) << "frame " << frame;
        }
        EXPECT_EQ(flown.path.laps, 1);
    }
    std::string error;
    const auto onto = PathFile::parse(cases[2].text, error);
    ASSERT_TRUE(onto) << error;
    EXPECT_FALSE(onto->rows[0].aimed) << "a move onto the point it looks at looks along its way";
}

TEST(PathFiles, OnlyARegularFileOfAFewMegabytesIsRead) {
    const Quessel::Test::ScratchDir folder;
    std::ofstream(folder.file("empty.json")).close();
    std::ofstream(folder.file("huge.json")).close();
    std::filesystem::resize_file(folder.file("huge.json"), PathRules::MaxFileBytes + 1);
    ASSERT_EQ(mkfifo(folder.file("fifo.json").c_str(), 0600), 0);
    const std::string demo = folder.file("demo.json");
    std::string error;
    ASSERT_TRUE(PathFile::write(CameraPath::Script::demo(), demo, error)) << error;
    EXPECT_LT(std::filesystem::file_size(demo), 4000u) << "a row a line";
    const std::pair<std::string, const char*> cases[] = {
        {folder.file("missing.json"), "No such file or directory"},
        {folder.file("empty.json"), "empty.json is empty"},
        {"/dev/zero", "/dev/zero is not a regular file"},
        {folder.file("fifo.json"), "fifo.json is not a regular file"},
        {folder.path.string(), "is not a regular file"},
        {folder.file("huge.json"), "huge.json is 4.0 MB, larger than the 4 MB a path file may be"},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_FALSE(PathFile::read(name, error)) << name;
        EXPECT_NE(error.find(expected), std::string::npos) << "said \"" << error << "\" for " << name;
    }
    // Nothing is written that would not be read back.
    CameraPath::Script startOnly = CameraPath::Script::demo();
    startOnly.rows.clear();
    EXPECT_FALSE(PathFile::write(startOnly, folder.file("none.json"), error));
    EXPECT_NE(error.find("\"rows\": none"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(folder.file("none.json")));
    // Both tools say the limits.
    std::string help;
    const char* argv[] = {"quessel-study", "--help"};
    Study::StudyOptions options;
    Study::StudyOptions::parse(2, argv, options, help);
    for (const std::string& text : {help, Record::RecordOptions::usage()})
        for (const std::string& limit :
             {fmt::format("{} MB", PathRules::MaxFileBytes / 1000000), fmt::format("{} rows", PathRules::MaxRows),
              fmt::format("{:g} s", PathRules::MaxRowSeconds)})
            EXPECT_NE(text.find(limit), std::string::npos) << limit << " not in\n" << text;
}

TEST(PathFiles, KeyViewsMakeAPathThatEndsAtEachViewLookingItsWay) {
    Study::PathDraft draft;
    const CameraPose first = CameraPose::looking(vec3(0, 1, 0), vec3(0, 0, -1));
    const CameraPose second = CameraPose::looking(vec3(0, 1, -4), vec3(1, 0, 0));
    draft.addView(first);
    draft.seconds = 3.0f;
    draft.addView(second);
    draft.addHold();
    using K = CameraPath::Kind;
    const auto& rows = draft.script().rows;
    ASSERT_EQ(rows.size(), 3u) << "straight ahead needs no turn first: a move, a turn, a hold";
    EXPECT_EQ(draft.script().start, first.position);
    EXPECT_EQ(rows[0].kind, K::Move);
    EXPECT_EQ(rows[1].kind, K::Turn);
    EXPECT_EQ(rows[2].kind, K::Hold);
    EXPECT_EQ(rows[2].duration, 3.0f);
    // Flown, the path holds at the second view.
    Flown flown(draft.script());
    for (int frame = 0; frame < 7 * 30; ++frame) flown.path.advance(1.0f / 30.0f);
    EXPECT_EQ(flown.path.step, 2);
    const vec3 eye = vec3(glm::inverse(flown.camera.view)[3]);
    EXPECT_LT(glm::distance(eye, second.position), 1e-4f);
    EXPECT_LT(glm::distance(-vec3(glm::inverse(flown.camera.view)[2]), second.direction), 1e-4f);
    // A view off to the side turns towards it first; undoing takes rows away one by one.
    draft.addView(CameraPose::looking(vec3(5, 1, 0), vec3(0, 0, 1)));
    EXPECT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[3].kind, K::Turn);
    for (size_t left = 5; left > 0; --left) {
        draft.removeLast();
        EXPECT_EQ(rows.size(), left);
    }
    draft.removeLast();
    draft.removeLast();
    EXPECT_FALSE(draft.started());
}

TEST(PathFiles, KeyViewsRoundTheVerticalAndUpAndDownMakeAPathTheCameraCanShow) {
    const auto looking = [](float heading, float pitch) {
        return vec3(-std::sin(heading) * std::cos(pitch), std::sin(pitch), -std::cos(heading) * std::cos(pitch));
    };
    const float steepest = Study::FreeCamera::PitchLimit;
    Study::PathDraft draft;
    // Steeply down one way, then the other from the same spot (over the top would look
    // straight down), straight up with E, and on.
    draft.addView(CameraPose::looking(vec3(0, 5, 0), looking(0.0f, -steepest)));
    draft.addView(CameraPose::looking(vec3(0, 5, 0), looking(3.14159265f, -steepest)));
    draft.addView(CameraPose::looking(vec3(0, 9, 0), looking(3.14159265f, -steepest)));
    draft.addView(CameraPose::looking(vec3(0, 9, -3), looking(1.0f, 0.3f)));
    draft.addHold();
    const CameraPath::Script& script = draft.script();
    const auto problem = PathRules::check(script);
    EXPECT_FALSE(problem) << problem->text();
    std::string error;
    EXPECT_TRUE(PathFile::parse(PathFile::text(script), error)) << "F6 saves what --path takes: " << error;
    const auto up = std::find_if(script.rows.begin(), script.rows.end(),
                                 [](const CameraPath::Row& row) { return row.kind == CameraPath::Kind::Move; });
    ASSERT_NE(up, script.rows.end());
    EXPECT_TRUE(up->aimed) << "the way up looks ahead, not up";
    EXPECT_EQ(up->to, vec3(0, 9, 0));
}

TEST(PathFiles, TheTourKeepsTheSceneInViewLoopsAndHoldsBeforeEachObject) {
    Bounds bounds;
    bounds.add(vec3(-30, 0, -10));
    bounds.add(vec3(50, 12, 20));
    const Framing framing(bounds);
    const std::vector<Tour::Stop> stops = {{vec3(40, 2, 15), 1.5f}, {vec3(-25, 1, -5), 0.5f}};
    const CameraPath::Script tour = Tour::make(framing, stops);
    ASSERT_FALSE(tour.rows.empty());
    EXPECT_EQ(tour.rows.back().to, tour.start) << "it ends where it began";
    Flown flown(tour);
    const mat4 projection = framing.projection();
    const float orbit = Tour::orbitDistance(framing);
    const float step = 1.0f / 30.0f;
    std::vector<int> held;
    for (int frame = 0; frame < static_cast<int>((tour.seconds() + 1.0) * 30.0) && flown.path.laps == 0; ++frame) {
        flown.path.advance(step);
        const mat4& view = flown.camera.view;
        for (float v : {view[3][0], view[3][1], view[3][2]}) ASSERT_TRUE(std::isfinite(v)) << "frame " << frame;
        const CameraPath::Row& row = tour.rows[flown.path.step];
        const auto onOrbit = [&](const vec3& point) {
            return std::abs(glm::distance(point, bounds.centre()) - orbit) < 1e-3f * orbit;
        };
        if (row.kind == CameraPath::Kind::Move && onOrbit(row.from) && onOrbit(row.to)) {
            // On the orbit: every corner of the box in view.
            for (int corner = 0; corner < 8; ++corner)
                ASSERT_TRUE(inView(projection, view, bounds.corner(corner)))
                    << "frame " << frame << ", corner " << corner;
        } else {
            // Going up to an object and back: the scene's middle, or the object, stays in view.
            bool seen = inView(projection, view, bounds.centre());
            for (const Tour::Stop& stop : stops) seen = seen || inView(projection, view, stop.centre);
            ASSERT_TRUE(seen) << "frame " << frame << ", row " << flown.path.step;
        }
        if (row.kind == CameraPath::Kind::Hold) held.push_back(frame);
    }
    EXPECT_EQ(flown.path.laps, 1) << "one lap in its seconds";
    // Each object is held in front of: near it, whole in view.
    std::vector<const CameraPath::Row*> holds;
    for (const CameraPath::Row& row : tour.rows)
        if (row.kind == CameraPath::Kind::Hold) holds.push_back(&row);
    ASSERT_EQ(holds.size(), stops.size());
    for (size_t i = 0; i < stops.size(); ++i) {
        const CameraPath::Row& approach = *(holds[i] - 1);
        ASSERT_TRUE(approach.aimed);
        EXPECT_EQ(approach.target, stops[i].centre);
        EXPECT_NEAR(glm::distance(approach.to, stops[i].centre), Tour::StopDistance * stops[i].radius, 1e-3f);
    }
    EXPECT_FALSE(held.empty());
    EXPECT_GT(LapLength::framesToLapEnd(0.0, step, tour), static_cast<int>(tour.seconds() * 30.0) - 60);
    const auto problem = PathRules::check(tour);
    EXPECT_FALSE(problem) << problem->text();
}

TEST(PathFiles, ATourVisitBeginsOnTheOrbitOnItsObjectsSideInTurnFromTheStart) {
    Bounds bounds;
    bounds.add(vec3(-20, -4, -20));
    bounds.add(vec3(20, 6, 20));
    const Framing framing(bounds);
    const vec3 centre = bounds.centre();
    // Round the scene in no particular order, one straight below the middle.
    const std::vector<Tour::Stop> stops = {{vec3(15, 0, -12), 1.0f},
                                           {vec3(-18, 3, 2), 2.0f},
                                           {vec3(4, -2, 17), 0.5f},
                                           {vec3(-6, 5, -15), 1.0f},
                                           {vec3(centre.x, -3, centre.z), 1.0f}};
    const CameraPath::Script tour = Tour::make(framing, stops);
    const float orbit = Tour::orbitDistance(framing);
    const auto heading = [&](const vec3& point) {
        const vec3 side = point - centre;
        return std::atan2(side.x, side.z);
    };
    const auto turned = [&](const vec3& point) {
        return std::fmod(heading(point) - heading(tour.start) + 4.0f * 3.14159265f, 2.0f * 3.14159265f);
    };
    float previous = -1.0f;
    int visits = 0;
    for (size_t i = 1; i < tour.rows.size(); ++i) {
        if (tour.rows[i].kind != CameraPath::Kind::Hold) continue;
        const CameraPath::Row& approach = tour.rows[i - 1];
        const auto stop =
            std::find_if(stops.begin(), stops.end(), [&](const Tour::Stop& s) { return s.centre == approach.target; });
        ASSERT_NE(stop, stops.end()) << "row " << i;
        const vec3 begins = approach.from;
        SCOPED_TRACE(testing::Message() << "the visit to the object at x " << stop->centre.x);
        EXPECT_NEAR(glm::distance(begins, centre), orbit, 1e-3f * orbit) << "on the orbit";
        // The row before its turn towards the object is the orbit's move to where it begins.
        size_t turn = i - 2;
        while (turn > 0 && tour.rows[turn].kind == CameraPath::Kind::Turn) --turn;
        EXPECT_EQ(tour.rows[turn].to, begins);
        const bool below = stop->centre.x == centre.x && stop->centre.z == centre.z;
        const float at = below ? 0.0f : turned(stop->centre);
        if (!below) {
            EXPECT_NEAR(std::remainder(heading(begins) - heading(stop->centre), 2.0f * 3.14159265f), 0.0f, 1e-3f)
                << "on its side of the scene";
        } else {
            EXPECT_LT(glm::distance(begins, tour.start), 1e-3f * orbit) << "one below the middle is visited first";
        }
        EXPECT_GE(at, previous) << "in turn round from the start";
        previous = at;
        ++visits;
    }
    EXPECT_EQ(visits, static_cast<int>(stops.size()));
}

TEST(PathFiles, ASavedViewFliesBackAsTheCameraDrawnWithItsProjectionAndBox) {
    // The demo's path in the middle of a move (the camera's direction field lags its view
    // there), and framed views of a 2 cm box 300 m from the origin and a 2 km one.
    Flown demo(CameraPath::Script::demo());
    for (int frame = 0; frame < 100; ++frame) demo.path.advance(1.0f / 30.0f);
    ASSERT_EQ(demo.path.script().rows[static_cast<size_t>(demo.path.step)].kind, CameraPath::Kind::Move);
    const Framing small(Bounds{vec3(300.0f, 20.0f, -100.0f), vec3(300.02f, 20.01f, -99.99f)});
    const Framing large(Bounds{vec3(-1000.0f, 0.0f, -400.0f), vec3(1000.0f, 300.0f, 1600.0f)});
    const struct {
        const char* name;
        mat4 view, projection;
        const Framing* framing;
    } cases[] = {
        {"the demo's path", demo.camera.view, demo.camera.projection, nullptr},
        {"a 2 cm box", small.view().view, small.projection(), &small},
        {"a 2 km box", large.view().view, large.projection(), &large},
    };
    for (const auto& view : cases) {
        SCOPED_TRACE(view.name);
        const float nearPlane = view.framing ? view.framing->nearPlane() : 0.1f;
        const float farPlane = view.framing ? view.framing->farPlane() : 10000.0f;
        const std::string text = Study::ViewFile::text(view.view, view.projection, nearPlane, farPlane,
                                                       view.framing ? view.framing->bounds : Bounds{});
        std::string error;
        const auto script = PathFile::parse(text, error);
        ASSERT_TRUE(script) << error;
        ASSERT_EQ(script->rows.size(), 1u);
        EXPECT_EQ(script->rows[0].kind, CameraPath::Kind::Hold);
        Flown flown(*script);
        flown.path.advance(1.0f / 30.0f);
        // Where it stands and looks, to two float steps at its distance from the origin (the
        // demo's look-at adds the direction to the position).
        const auto pose = [](const mat4& view) {
            const mat4 world = glm::inverse(view);
            return std::make_pair(vec3(world[3]), -vec3(world[2]));
        };
        const auto [position, direction] = pose(view.view);
        const auto [flownPosition, flownDirection] = pose(flown.camera.view);
        const float size = view.framing ? view.framing->radius() : 25.0f;
        const float steps = 2.4e-7f * glm::length(position);
        EXPECT_LT(glm::distance(flownPosition, position), steps + 1e-5f * size);
        EXPECT_LT(glm::distance(flownDirection, direction), steps + 1e-5f);
        const nlohmann::json document = nlohmann::json::parse(text);
        EXPECT_NEAR(document["vertical_fov"].get<double>(), 2.0 * 0.5236, 1e-6);
        EXPECT_NEAR(document["aspect"].get<double>(), 1280.0 / 768.0, 1e-6);
        EXPECT_EQ(document["near"].get<float>(), nearPlane);
        EXPECT_EQ(document["far"].get<float>(), farPlane);
        if (!view.framing) {
            EXPECT_FALSE(document.contains("bounds"));
            continue;
        }
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(document["bounds"]["min"][axis].get<float>(), view.framing->bounds.min[axis]);
            EXPECT_EQ(document["bounds"]["max"][axis].get<float>(), view.framing->bounds.max[axis]);
        }
    }
}
