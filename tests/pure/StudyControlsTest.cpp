// The study tool's keys: pause and single step, the view cycle, and free flight with its
// return to the camera path.
#include "ViewMatrix.h"

#include "math/Camera.h"
#include "study/StudyControls.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Quessel;
using namespace Quessel::Study;
using Quessel::Test::lookAlong;
using Quessel::Test::matricesNear;
using Key = StudyKey;

namespace {
// A camera part-way along a path row, looking along `direction`, with a previous view.
Camera cameraOnPath(const vec3& direction, const vec3& position = vec3(3, 4, 5)) {
    Camera camera;
    camera.init(position, position + direction);
    camera.previousView = lookAlong(position - vec3(0.3f, 0, 0), direction);
    camera.pathTime = 2.5f;
    return camera;
}

HeldKeys held(bool HeldKeys::*key, bool HeldKeys::*second = nullptr) {
    HeldKeys keys;
    keys.*key = true;
    if (second) keys.*second = true;
    return keys;
}
}  // namespace

TEST(StudyControls, KeysDecideHowFarEachFrameMovesTheDemoAndAroundWhichCamera) {
    const double single = 1.0 / 30.0;
    using C = FramePlan::Camera;
    using R = FramePlan::Refresh;
    // The step, the camera, whether a cube map is redrawn and the composite's step.
    struct Expected {
        double step;
        C camera;
        R refresh;
        double composite;
    };
    const Expected held{0, C::Hold, R::None, single};
    const struct {
        const char* name;
        std::vector<Key> keys;
        double wallStep;
        Expected first, second;  // the second frame follows with nothing pressed
    } cases[] = {
        {"running", {}, 0.1, {0.1, C::Path, R::Next, 0.1}, {0.1, C::Path, R::Next, 0.1}},
        {"a stall is cut to half a second", {}, 3.0, {0.5, C::Path, R::Next, 0.5}, {0.5, C::Path, R::Next, 0.5}},
        {"paused", {Key::Pause}, 0.1, held, held},
        {"resumed", {Key::Pause, Key::Pause}, 0.1, {0.1, C::Path, R::Next, 0.1}, {0.1, C::Path, R::Next, 0.1}},
        {"one step while paused", {Key::Pause, Key::Step}, 0.1, {single, C::Path, R::Next, single}, held},
        {"two presses, one step a frame",
         {Key::Pause, Key::Step, Key::Step},
         0.1,
         {single, C::Path, R::Next, single},
         held},
        {"a step while running is not kept", {Key::Step, Key::Pause}, 0.1, held, held},
        {"free flight leaves the path",
         {Key::FreeCamera},
         0.1,
         {0.1, C::Given, R::Next, single},
         {0.1, C::Given, R::Next, single}},
        {"a step in free flight",
         {Key::FreeCamera, Key::Pause, Key::Step},
         0.1,
         {single, C::Given, R::Next, single},
         {0, C::Given, R::None, single}},
        {"back on the path",
         {Key::FreeCamera, Key::FreeCamera},
         0.1,
         {0.1, C::Path, R::Next, 0.1},
         {0.1, C::Path, R::Next, 0.1}},
    };
    for (const auto& c : cases) {
        Camera camera = cameraOnPath(vec3(0, 0, -1));
        StudyControls controls(camera, 3);
        for (Key key : c.keys) controls.press(key);
        for (const Expected& expected : {c.first, c.second}) {
            const FramePlan plan = controls.plan(c.wallStep);
            EXPECT_DOUBLE_EQ(plan.step, expected.step) << c.name;
            EXPECT_EQ(plan.camera, expected.camera) << c.name;
            EXPECT_EQ(plan.refresh, expected.refresh) << c.name;
            EXPECT_DOUBLE_EQ(plan.compositeStep, expected.composite) << c.name;
            EXPECT_TRUE(plan.draw) << c.name;
        }
    }
}

TEST(StudyControls, F2CyclesFrameTargetsAndEachCubeMap) {
    using K = View::Kind;
    const std::vector<View> withThree = {{K::ColorTarget, 0}, {K::DepthTarget, 0}, {K::CubeMap, 0},    {K::CubeMap, 1},
                                         {K::CubeMap, 2},     {K::Frame, 0},       {K::ColorTarget, 0}};
    const std::vector<View> withNone = {{K::ColorTarget, 0}, {K::DepthTarget, 0}, {K::Frame, 0}};
    for (const auto& [spheres, expected] : {std::pair{3, withThree}, std::pair{0, withNone}}) {
        Camera camera;
        StudyControls controls(camera, spheres);
        for (size_t i = 0; i < expected.size(); ++i) {
            controls.press(Key::NextView);
            EXPECT_EQ(controls.view.kind, expected[i].kind) << spheres << " spheres, press " << i + 1;
            EXPECT_EQ(controls.view.cubeMap, expected[i].cubeMap) << spheres << " spheres, press " << i + 1;
        }
    }
}

TEST(FreeFlight, TakesOverTheViewWithoutAJump) {
    for (const vec3& direction : {vec3(0, 0, -1), vec3(1, 0, 0), vec3(-0.5f, -0.3f, -0.8f), vec3(0.4f, -0.9f, 0.1f)}) {
        FreeCamera free;
        free.enter(cameraOnPath(direction));
        EXPECT_TRUE(matricesNear(free.view(), lookAlong(vec3(3, 4, 5), direction))) << direction.x << direction.z;
    }
}

TEST(FreeFlight, KeysMoveAlongTheViewShiftIsFasterAndArrowsAndDragTurn) {
    const float s = FreeCamera::Speed;
    const float diagonal = s * 0.70710678f;
    HeldKeys dragDown;
    dragDown.dragY = 100.0;
    // Metres moved along the starting view's forward, right and the world's up in one
    // second, and a direction the view turns towards (looking along -Z).
    const struct {
        const char* name;
        HeldKeys keys;
        vec3 moved;
        vec3 towards;
    } cases[] = {
        {"W", held(&HeldKeys::forward), {s, 0, 0}, {0, 0, -1}},
        {"D", held(&HeldKeys::right), {0, s, 0}, {0, 0, -1}},
        {"E", held(&HeldKeys::up), {0, 0, s}, {0, 0, -1}},
        {"Shift W", held(&HeldKeys::forward, &HeldKeys::fast), {s * FreeCamera::FastFactor, 0, 0}, {0, 0, -1}},
        {"W D, no faster than W", held(&HeldKeys::forward, &HeldKeys::right), {diagonal, diagonal, 0}, {0, 0, -1}},
        {"left arrow", held(&HeldKeys::turnLeft), {0, 0, 0}, {-1, 0, 0}},
        {"drag down", dragDown, {0, 0, 0}, {0, -1, 0}},
    };
    for (const auto& c : cases) {
        FreeCamera free;
        free.enter(cameraOnPath(vec3(0, 0, -1)));
        free.fly(c.keys, 1.0f);
        const vec3 expected =
            vec3(3, 4, 5) + vec3(0, 0, -1) * c.moved.x + vec3(1, 0, 0) * c.moved.y + vec3(0, c.moved.z, 0);
        EXPECT_NEAR(glm::distance(free.position, expected), 0.0f, 1e-4f) << c.name;
        EXPECT_GT(glm::dot(free.forward(), c.towards), 0.2f) << c.name;
    }
}

TEST(FreeFlight, FramesTakeTheFlownPoseAndLeavingPutsTheCameraBackAsThePathLeftIt) {
    Camera camera = cameraOnPath(vec3(-0.5f, -0.3f, -0.8f));
    const Camera onPath = camera;
    StudyControls controls(camera, 3);
    controls.press(Key::FreeCamera);
    for (int frame = 0; frame < 3; ++frame) {
        controls.fly(held(&HeldKeys::forward, &HeldKeys::turnLeft), 0.2);
        const CameraPose pose = controls.plan(0.2).pose;
        EXPECT_EQ(pose.position, controls.freeCamera.position) << "frame " << frame;
        EXPECT_EQ(pose.direction, controls.freeCamera.forward()) << "frame " << frame;
        EXPECT_TRUE(matricesNear(pose.view, lookAlong(pose.position, pose.direction))) << "frame " << frame;
        // What a flown frame does with it (the frames' own tests check the demo does it).
        camera.previousView = camera.view;
        camera.position = pose.position;
        camera.view = pose.view;
    }
    controls.press(Key::FreeCamera);
    EXPECT_EQ(camera.position, onPath.position);
    EXPECT_EQ(camera.direction, onPath.direction);
    EXPECT_EQ(camera.view, onPath.view);
    EXPECT_EQ(camera.previousView, onPath.previousView);
    EXPECT_EQ(camera.pathTime, onPath.pathTime);
}
