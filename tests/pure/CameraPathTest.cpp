// The scripted path against the path's description (typed in apart from CameraPath's
// table): where every move, turn and hold puts the camera, in which order, and the frames
// in which steps finish.
#include "PathScript.h"
#include "ViewMatrix.h"

#include "paths/CameraPath.h"
#include "math/Camera.h"

#include <gtest/gtest.h>

using namespace Quessel;
using namespace Quessel::Test::PathScript;
using Quessel::Test::lookAlong;
using Quessel::Test::matricesNear;

namespace {

struct PathFixture : testing::Test {
    Camera camera;
    CameraPath path{camera};
    void SetUp() override { path.start(); }
};

mat4 viewOf(const Pose& pose) { return lookAlong(pose.position, pose.forward); }

}  // namespace

TEST_F(PathFixture, EveryStepMovesTurnsOrHoldsAsScriptedAndTheLapRepeats) {
    Pose pose = startPose();
    EXPECT_EQ(camera.position, points[0]);
    EXPECT_TRUE(matricesNear(camera.view, viewOf(pose)));
    for (int index = 0; index < RowCount; ++index) {
        SCOPED_TRACE("step " + std::to_string(index));
        const Row& row = rows[index];
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
            const Pose middle = poseIn(row, done + half, pose);
            EXPECT_TRUE(matricesNear(camera.view, viewOf(middle)));
            EXPECT_EQ(camera.previousView, before);
            EXPECT_NEAR(glm::length(camera.position - middle.position), 0.0f, 1e-5f);
        }

        // The frame that passes the end shows the end state; a hold that follows a move
        // or turn runs in that frame too, and the excess of every other step is dropped.
        before = camera.view;
        path.advance(half + 0.01f);
        const int next = (index + 1) % RowCount;
        const bool holdFollows = row.kind != Kind::Hold && rows[next].kind == Kind::Hold;
        EXPECT_EQ(path.step, next);
        EXPECT_FLOAT_EQ(camera.pathTime, holdFollows ? half + 0.01f : 0.0f);
        pose = poseIn(row, row.duration, pose);
        if (row.kind != Kind::Hold) {
            EXPECT_TRUE(matricesNear(camera.view, viewOf(pose)));
            EXPECT_EQ(camera.previousView, holdFollows ? camera.view : before);
        }
        EXPECT_NEAR(glm::length(camera.position - pose.position), 0.0f, 1e-5f);
        // Only init sets the direction handed to the shaders.
        EXPECT_EQ(camera.direction, startPose().forward);
    }
    // Back at P0 looking along V0; the next frame starts the first move again.
    EXPECT_TRUE(matricesNear(camera.view, lookAlong(points[0], directions[0])));
    path.advance(0.5f);
    EXPECT_EQ(path.step, 0);
    EXPECT_TRUE(matricesNear(camera.view, viewOf(poseIn(rows[0], 0.5f, pose))));
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
    EXPECT_EQ(camera.position, points[1]);
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
