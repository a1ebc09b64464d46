// Camera paths as data: a path file read back gives the very camera, frame by frame, of the
// path written (the demo's own table over a whole lap); files the camera could not fly are
// refused with the row and the reason; a path authored by key views; the tour made for a
// scene keeps the scene in view and visits each reflective or refractive object; a drawn
// view saved by the study tool flies back as the same camera.
#include "TestScene.h"

#include "app/FrameDriver.h"
#include "app/PathFile.h"
#include "app/Tour.h"
#include "math/Camera.h"
#include "math/Framing.h"
#include "study/PathDraft.h"
#include "study/ViewFile.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cmath>

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
    const int lap = FrameDriver::framesToLapEnd(0.0, step);
    for (int frame = 0; frame <= lap; ++frame) {
        table.path.advance(step);
        fromFile.path.advance(step);
        ASSERT_EQ(fromFile.path.step, table.path.step) << "frame " << frame;
        ASSERT_EQ(fromFile.camera.view, table.camera.view) << "frame " << frame;
        ASSERT_EQ(fromFile.camera.previousView, table.camera.previousView) << "frame " << frame;
        ASSERT_EQ(fromFile.camera.position, table.camera.position) << "frame " << frame;
    }
    EXPECT_EQ(fromFile.path.laps, 1);
}

TEST(PathFiles, AFileTheCameraCouldNotFlyIsRefusedWithTheRowAndWhy) {
    const std::string start = R"("start": {"position": [0, 0, 5], "looking_at": [0, 0, 0]})";
    const auto file = [&](const std::string& rows) { return "{" + start + R"(, "rows": [)" + rows + "]}"; };
    const std::string hold = R"({"kind": "hold", "seconds": 1})";
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"[1, 2", "not JSON"},
        {R"({"rows": []})", "\"start\": missing"},
        {R"({"start": {"position": [1, 1, 1], "looking_at": [1, 1, 1]}, "rows": []})",
         "looks at the point it stands on"},
        {file(hold + ", 7"), "row 2: not an object"},
        {file(hold + R"(, {"kind": "jump", "seconds": 1})"), "row 2: unknown kind \"jump\""},
        {file(R"({"kind": "hold", "seconds": -2})"), "row 1: \"seconds\" is -2, not above 0"},
        {file(R"({"kind": "hold", "seconds": 0})"), "row 1: \"seconds\" is 0, not above 0"},
        // Beyond what the camera's floats hold; JSON itself has no infinities.
        {file(hold + R"(, {"kind": "move", "seconds": 1, "from": [0, 0, 1e39], "to": [1, 2, 3]})"),
         "row 2: \"from\" holds a number that is not finite"},
        {file(hold + R"(, {"kind": "hold", "seconds": 1e999})"), "row 2: \"seconds\" is not finite"},
        {file(R"({"kind": "turn", "seconds": 1, "from": [0, -1e400, 1], "to": [1, 0, 0]})"),
         "row 1: \"from\" holds a number that is not finite"},
        {file(R"({"kind": "move", "seconds": 1, "from": [0, 0], "to": [1, 2, 3]})"),
         "row 1: \"from\" is not three numbers"},
        {file(R"({"kind": "move", "seconds": 1, "from": [1, 2, 3], "to": [1, 2, 3]})"),
         "row 1: a move from a point to "
         "the same point"},
        {file(R"({"kind": "turn", "seconds": 1, "from": [0, 0, 1], "to": [0, 0, -2]})"),
         "row 1: a turn between opposite directions"},
        {file(hold + "," + hold + R"(, {"kind": "turn", "seconds": 1, "from": [0, 0, 1]})"), "row 3: no \"to\""},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(PathFile::parse(c.text, error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << "said \"" << error << "\" for " << c.text;
    }
    std::string error;
    const auto fine =
        PathFile::parse(file(hold + R"(, {"kind": "move", "seconds": 2, "from": [1, 2, 3], "to": [1, 2, 3],
        "looking_at": [0, 0, 0]})"),
                        error);
    ASSERT_TRUE(fine) << error;
    ASSERT_EQ(fine->rows.size(), 2u);
    EXPECT_TRUE(fine->rows[1].aimed) << "a move on the spot looking at a point is fine";
    EXPECT_EQ(fine->rows[1].next, 0) << "the last row leads back to the first";
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
        const CameraPath::Step& row = tour.rows[flown.path.step];
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
    std::vector<const CameraPath::Step*> holds;
    for (const CameraPath::Step& row : tour.rows)
        if (row.kind == CameraPath::Kind::Hold) holds.push_back(&row);
    ASSERT_EQ(holds.size(), stops.size());
    for (size_t i = 0; i < stops.size(); ++i) {
        const CameraPath::Step& approach = *(holds[i] - 1);
        ASSERT_TRUE(approach.aimed);
        EXPECT_EQ(approach.target, stops[i].centre);
        EXPECT_NEAR(glm::distance(approach.to, stops[i].centre), Tour::StopDistance * stops[i].radius, 1e-3f);
    }
    EXPECT_FALSE(held.empty());
    EXPECT_GT(FrameDriver::framesToLapEnd(0.0, step, tour), static_cast<int>(tour.seconds() * 30.0) - 60);
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
