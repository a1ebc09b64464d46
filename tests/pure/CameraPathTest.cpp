// The scripted path against the script's own tables, typed in here apart from
// CameraPath's: where every move, turn and hold puts the camera, in which order, and
// the frames in which steps finish.
#include "ViewMatrix.h"

#include "app/CameraPath.h"
#include "math/Camera.h"

#include <gtest/gtest.h>

using namespace Quessel;
using Quessel::Test::lookAlong;
using Quessel::Test::matricesNear;

namespace {

const vec3 P[6] = {{8.865234f, 9.347880f, 19.188326f},  {1.167896f, 4.862509f, 7.776461f},
                   {-2.077967f, 2.140573f, 14.752897f}, {-4.114920f, 6.584050f, 8.871492f},
                   {-2.732610f, 5.016881f, 0.116311f},  {-3.752654f, 6.259526f, 14.664780f}};
const vec3 V[9] = {
    {-0.535610f, -0.309817f, -0.785580f}, {-0.391355f, -0.361615f, 0.846212f}, {-0.421221f, -0.333487f, 0.843421f},
    {-0.775205f, -0.276356f, -0.568053f}, {-0.266355f, 0.581035f, -0.769060f}, {0.153433f, -0.179030f, -0.971806f},
    {0.153571f, -0.174108f, -0.972678f},  {-0.069689f, 0.084897f, 0.993950f},  {12.617888f, 3.088354f, 4.523546f}};

enum class Kind { Move, Turn, Hold };
struct Row {
    Kind kind;
    float duration;
    int from, to;  // P indices for a move, V indices for a turn
    int next;
};
const Row script[17] = {{Kind::Move, 5, 0, 1, 1},  {Kind::Hold, 12, 0, 0, 2}, {Kind::Turn, 1, 0, 1, 3},
                        {Kind::Move, 2, 1, 2, 4},  {Kind::Hold, 4, 0, 0, 5},  {Kind::Turn, 1, 2, 3, 6},
                        {Kind::Hold, 8, 0, 0, 7},  {Kind::Turn, 1, 3, 4, 8},  {Kind::Move, 1, 2, 3, 9},
                        {Kind::Turn, 1, 4, 5, 10}, {Kind::Move, 1, 3, 4, 11}, {Kind::Hold, 8, 0, 0, 12},
                        {Kind::Turn, 1, 6, 7, 13}, {Kind::Move, 1, 4, 5, 14}, {Kind::Turn, 1, 7, 8, 15},
                        {Kind::Move, 1, 5, 0, 16}, {Kind::Turn, 1, 8, 0, 0}};

struct PathFixture : testing::Test {
    Camera camera;
    CameraPath path{camera};
    void SetUp() override { path.start(); }
};

// Where the script puts the camera t of the way through a move or turn from `eye`.
mat4 scriptedView(const Row& row, float t, vec3& eye) {
    if (row.kind == Kind::Move) {
        eye = P[row.from] * (1.0f - t) + P[row.to] * t;
        return lookAlong(eye, P[row.to] - P[row.from]);
    }
    return lookAlong(eye, V[row.from] + (V[row.to] - V[row.from]) * t);
}

}  // namespace

TEST_F(PathFixture, EveryStepMovesTurnsOrHoldsAsScriptedAndTheLapRepeats) {
    const vec3 startDirection = glm::normalize(P[1] - P[0]);
    EXPECT_EQ(camera.position, P[0]);
    EXPECT_TRUE(matricesNear(camera.view, lookAlong(P[0], startDirection)));
    vec3 eye = P[0];
    for (int index = 0; index < 17; ++index) {
        SCOPED_TRACE("step " + std::to_string(index));
        const Row& row = script[index];
        ASSERT_EQ(path.step, index);
        // A hold right after a move or turn has already counted that step's last frame.
        const float done = camera.pathTime;
        const float half = (row.duration - done) / 2.0f;
        mat4 before = camera.view;
        path.advance(half);
        ASSERT_EQ(path.step, index);
        if (row.kind == Kind::Hold) {
            EXPECT_EQ(camera.view, before);
            EXPECT_EQ(camera.previousView, camera.view);
        } else {
            EXPECT_TRUE(matricesNear(camera.view, scriptedView(row, (done + half) / row.duration, eye)));
            EXPECT_EQ(camera.previousView, before);
            EXPECT_NEAR(glm::length(camera.position - eye), 0.0f, 1e-5f);
        }

        // The frame that passes the end shows the end state; a hold that follows a move
        // or turn runs in that frame too, and the excess of every other step is dropped.
        before = camera.view;
        path.advance(half + 0.01f);
        const Row& next = script[row.next];
        const bool holdFollows = row.kind != Kind::Hold && next.kind == Kind::Hold;
        EXPECT_EQ(path.step, row.next);
        EXPECT_FLOAT_EQ(camera.pathTime, holdFollows ? half + 0.01f : 0.0f);
        if (row.kind != Kind::Hold) {
            EXPECT_TRUE(matricesNear(camera.view, scriptedView(row, 1.0f, eye)));
            EXPECT_EQ(camera.previousView, holdFollows ? camera.view : before);
        }
        EXPECT_NEAR(glm::length(camera.position - eye), 0.0f, 1e-5f);
        // Only init sets the direction handed to the shaders.
        EXPECT_EQ(camera.direction, glm::normalize(P[1] - P[0]));
    }
    // Back at P0 looking along V0; the next frame starts the first move again.
    EXPECT_TRUE(matricesNear(camera.view, lookAlong(P[0], V[0])));
    path.advance(0.5f);
    EXPECT_EQ(path.step, 0);
    EXPECT_TRUE(matricesNear(camera.view, lookAlong(P[0] * 0.9f + P[1] * 0.1f, P[1] - P[0])));
}

TEST_F(PathFixture, SixtyFramesASecondReachP1AfterFiveSecondsThenHoldStill) {
    const float dt = 1.0f / 60.0f;
    int frames = 0;
    while (path.step == 0) {
        path.advance(dt);
        ++frames;
    }
    // The first frame whose accumulated time exceeds 5 s (float sums may land one early).
    EXPECT_NEAR(frames, 301, 1);
    EXPECT_EQ(camera.position, P[1]);
    EXPECT_EQ(path.step, 1);
    int holdFrames = 1;
    while (path.step == 1) {
        path.advance(dt);
        EXPECT_EQ(camera.previousView, camera.view);
        ++holdFrames;
    }
    EXPECT_NEAR(holdFrames, 721, 1);
    EXPECT_EQ(path.step, 2);
}

TEST_F(PathFixture, AVeryLongFrameFinishesAtMostTwoSteps) {
    path.advance(30.0f);
    EXPECT_EQ(path.step, 2);  // the move and the hold that follows it
    path.advance(30.0f);
    EXPECT_EQ(path.step, 3);  // a turn followed by a move: the move waits
    path.advance(30.0f);
    EXPECT_EQ(path.step, 5);
}
