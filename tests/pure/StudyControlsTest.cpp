// The study tool's keys: pause and single step, the view cycle, the overlay, and free
// flight with its return to the camera path.
#include "ViewMatrix.h"

#include "math/Camera.h"
#include "study/StudyControls.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Quessel;
using namespace Quessel::Study;

namespace {
using Key = StudyKey;

// A camera somewhere along a path: looking along `direction`, with a previous view and
// some of a path row done.
Camera cameraOnPath(const vec3& position, const vec3& direction) {
    Camera camera;
    camera.init(position, position + direction);
    camera.previousView = Quessel::Test::lookAlong(position - vec3(0.3f, 0.0f, 0.0f), direction);
    camera.pathTime = 2.5f;
    return camera;
}

::testing::AssertionResult sameCamera(const Camera& actual, const Camera& expected) {
    if (actual.position != expected.position) return ::testing::AssertionFailure() << "position differs";
    if (actual.direction != expected.direction) return ::testing::AssertionFailure() << "direction differs";
    if (actual.view != expected.view) return ::testing::AssertionFailure() << "view differs";
    if (actual.previousView != expected.previousView) return ::testing::AssertionFailure() << "previous view differs";
    if (actual.pathTime != expected.pathTime) return ::testing::AssertionFailure() << "path time differs";
    return ::testing::AssertionSuccess();
}
}  // namespace

struct KeyCase {
    const char* name;
    std::vector<Key> keys;
    double wallStep;
    FramePlan first;
    FramePlan second;  // the frame after it, nothing pressed in between
};

TEST(StudyControls, KeysDecideHowFarEachFrameMovesTheDemo) {
    const double single = 1.0 / 30.0;
    const KeyCase cases[] = {
        {"running", {}, 0.1, {0.1, true}, {0.1, true}},
        {"a stall is cut to half a second", {}, 3.0, {0.5, true}, {0.5, true}},
        {"paused", {Key::Pause}, 0.1, {0.0, false}, {0.0, false}},
        {"resumed", {Key::Pause, Key::Pause}, 0.1, {0.1, true}, {0.1, true}},
        {"one step while paused", {Key::Pause, Key::Step}, 0.1, {single, true}, {0.0, false}},
        {"two presses are one step per frame", {Key::Pause, Key::Step, Key::Step}, 0.1, {single, true}, {0, false}},
        {"a step while running is not kept for the pause", {Key::Step, Key::Pause}, 0.1, {0, false}, {0, false}},
        {"free flight leaves the path", {Key::FreeCamera}, 0.1, {0.1, false}, {0.1, false}},
        {"a step in free flight", {Key::FreeCamera, Key::Pause, Key::Step}, 0.1, {single, false}, {0, false}},
        {"back on the path", {Key::FreeCamera, Key::FreeCamera}, 0.1, {0.1, true}, {0.1, true}},
    };
    for (const KeyCase& c : cases) {
        Camera camera = cameraOnPath(vec3(1, 2, 3), vec3(0, 0, -1));
        StudyControls controls(camera, 3);
        for (Key key : c.keys) controls.press(key);
        const FramePlan first = controls.plan(c.wallStep);
        const FramePlan second = controls.plan(c.wallStep);
        EXPECT_DOUBLE_EQ(first.step, c.first.step) << c.name;
        EXPECT_EQ(first.onPath, c.first.onPath) << c.name;
        EXPECT_DOUBLE_EQ(second.step, c.second.step) << c.name << " (next frame)";
        EXPECT_EQ(second.onPath, c.second.onPath) << c.name << " (next frame)";
    }
}

TEST(StudyControls, F2CyclesFrameTargetsAndEachCubeMapAndF1F5F12Toggle) {
    using Kind = View::Kind;
    const std::vector<View> withThree = {{Kind::ColorTarget, 0}, {Kind::DepthTarget, 0}, {Kind::CubeMap, 0},
                                         {Kind::CubeMap, 1},     {Kind::CubeMap, 2},     {Kind::Frame, 0},
                                         {Kind::ColorTarget, 0}};
    const std::vector<View> withNone = {{Kind::ColorTarget, 0}, {Kind::DepthTarget, 0}, {Kind::Frame, 0}};
    for (const auto& [spheres, expected] : {std::pair{3, withThree}, std::pair{0, withNone}}) {
        Camera camera;
        StudyControls controls(camera, spheres);
        for (size_t i = 0; i < expected.size(); ++i) {
            controls.press(Key::NextView);
            EXPECT_EQ(controls.view.kind, expected[i].kind) << spheres << " spheres, press " << i + 1;
            EXPECT_EQ(controls.view.cubeMap, expected[i].cubeMap) << spheres << " spheres, press " << i + 1;
        }
    }

    Camera camera;
    StudyControls controls(camera, 3);
    EXPECT_FALSE(controls.overlay);
    controls.press(Key::Overlay);
    EXPECT_TRUE(controls.overlay);
    controls.press(Key::Overlay);
    EXPECT_FALSE(controls.overlay);
    EXPECT_FALSE(controls.takeReload());
    controls.press(Key::Reload);
    controls.press(Key::Screenshot);
    EXPECT_TRUE(controls.takeReload());
    EXPECT_FALSE(controls.takeReload());
    EXPECT_TRUE(controls.takeScreenshot());
    EXPECT_FALSE(controls.takeScreenshot());
}

TEST(FreeFlight, TakesOverTheViewWithoutAJump) {
    const vec3 directions[] = {{0, 0, -1}, {1, 0, 0}, {-0.5f, -0.3f, -0.8f}, {0.4f, -0.9f, 0.1f}, {0.1f, 0.2f, 1}};
    for (const vec3& direction : directions) {
        const Camera camera = cameraOnPath(vec3(3, 4, 5), direction);
        FreeCamera free;
        free.enter(camera);
        EXPECT_TRUE(Quessel::Test::matricesNear(free.view(), Quessel::Test::lookAlong(vec3(3, 4, 5), direction)))
            << direction.x << " " << direction.y << " " << direction.z;
    }
}

struct FlightCase {
    const char* name;
    HeldKeys keys;
    float seconds;
    vec3 moved;  // metres along the view's forward, right and the world's up
};

TEST(FreeFlight, KeysMoveAlongTheViewAndShiftIsFaster) {
    const float s = FreeCamera::Speed;
    const float diagonal = s * 0.70710678f;
    HeldKeys w, sKey, a, d, q, e, shiftW, wd;
    w.forward = sKey.back = a.left = d.right = q.down = e.up = true;
    shiftW.forward = shiftW.fast = true;
    wd.forward = wd.right = true;
    const FlightCase cases[] = {
        {"W", w, 1.0f, {s, 0, 0}},
        {"S", sKey, 0.5f, {-s / 2, 0, 0}},
        {"A", a, 1.0f, {0, -s, 0}},
        {"D", d, 1.0f, {0, s, 0}},
        {"Q", q, 1.0f, {0, 0, -s}},
        {"E", e, 2.0f, {0, 0, 2 * s}},
        {"Shift W", shiftW, 1.0f, {s * FreeCamera::FastFactor, 0, 0}},
        {"W D, no faster than W", wd, 1.0f, {diagonal, diagonal, 0}},
    };
    const vec3 direction = glm::normalize(vec3(-0.6f, -0.2f, -0.7f));
    for (const FlightCase& c : cases) {
        Camera camera = cameraOnPath(vec3(3, 4, 5), direction);
        FreeCamera free;
        free.enter(camera);
        free.fly(c.keys, c.seconds);
        // The basis from the view the flight started from.
        const mat4 eye = glm::inverse(camera.view);
        const vec3 right(eye[0]), forward = -vec3(eye[2]);
        const vec3 expected = vec3(3, 4, 5) + forward * c.moved.x + right * c.moved.y + vec3(0, c.moved.z, 0);
        EXPECT_NEAR(glm::distance(free.position, expected), 0.0f, 1e-4f) << c.name;
    }
}

TEST(FreeFlight, ArrowsAndDragTurnTheView) {
    HeldKeys left, up, dragRight, dragDown;
    left.turnLeft = up.turnUp = true;
    dragRight.dragX = 100.0;
    dragDown.dragY = 100.0;
    // Looking along -Z: turning left looks towards -X, up towards +Y.
    const struct {
        const char* name;
        HeldKeys keys;
        vec3 towards;
    } cases[] = {
        {"left arrow", left, {-1, 0, 0}},
        {"up arrow", up, {0, 1, 0}},
        {"drag right", dragRight, {1, 0, 0}},
        {"drag down", dragDown, {0, -1, 0}},
    };
    for (const auto& c : cases) {
        const Camera camera = cameraOnPath(vec3(0), vec3(0, 0, -1));
        FreeCamera free;
        free.enter(camera);
        free.fly(c.keys, 0.25f);
        EXPECT_GT(glm::dot(free.forward(), c.towards), 0.2f) << c.name;
        EXPECT_EQ(free.position, vec3(0)) << c.name;
    }
}

TEST(FreeFlight, LeavingPutsTheCameraBackAsThePathLeftIt) {
    Camera camera = cameraOnPath(vec3(3, 4, 5), vec3(-0.5f, -0.3f, -0.8f));
    const Camera onPath = camera;
    StudyControls controls(camera, 3);
    controls.press(StudyKey::FreeCamera);
    HeldKeys keys;
    keys.forward = keys.turnLeft = true;
    for (int frame = 0; frame < 3; ++frame) {
        const mat4 drawn = camera.view;
        controls.fly(keys, 0.2);
        controls.freeCamera.apply(camera);
        // The composite blurs along the flight: the previous frame's view.
        EXPECT_EQ(camera.previousView, drawn) << "frame " << frame;
        EXPECT_TRUE(Quessel::Test::matricesNear(camera.view, controls.freeCamera.view()));
    }
    EXPECT_FALSE(sameCamera(camera, onPath));
    controls.press(StudyKey::FreeCamera);
    EXPECT_TRUE(sameCamera(camera, onPath));
}
