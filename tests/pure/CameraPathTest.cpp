// The scripted path: step order, holds that follow moves, one lap.
#include "app/CameraPath.h"
#include "math/Camera.h"

#include <gtest/gtest.h>

using namespace Quessel;

namespace {
struct PathFixture : testing::Test {
    Camera camera;
    CameraPath path{camera};
    void SetUp() override { path.start(); }
};
}  // namespace

TEST_F(PathFixture, StartsAtP0LookingAtP1) {
    EXPECT_EQ(camera.position, CameraPath::points[0]);
    EXPECT_EQ(path.step, 0);
    const vec3 expected = glm::normalize(CameraPath::points[1] - CameraPath::points[0]);
    EXPECT_NEAR(glm::length(camera.direction - expected), 0.0f, 1e-6f);
}

TEST_F(PathFixture, ReachesP1ThenHoldsWithoutMotion) {
    const float dt = 1.0f / 60.0f;
    int frames = 0;
    while (path.step == 0) {
        path.advance(dt);
        ++frames;
    }
    // The first frame whose accumulated time exceeds 5 s (float sums may land one early).
    EXPECT_NEAR(frames, 301, 1);
    EXPECT_EQ(camera.position, CameraPath::points[1]);
    EXPECT_EQ(path.step, 1);
    // The finishing frame's dt already counts for the hold.
    EXPECT_FLOAT_EQ(camera.pathTime, dt);
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

TEST_F(PathFixture, ALapEndsBackAtStepZeroFromP0) {
    const vec3 initialDirection = camera.direction;
    int finishedLaps = 0;
    int previous = path.step;
    for (int frame = 0; frame < 60 * 60 && finishedLaps == 0; ++frame) {
        path.advance(1.0f / 30.0f);
        if (path.step == 0 && previous == 16) ++finishedLaps;
        previous = path.step;
    }
    ASSERT_EQ(finishedLaps, 1);
    EXPECT_NEAR(glm::length(camera.position - CameraPath::points[0]), 0.0f, 1e-5f);
    // Only init sets the direction handed to the shaders.
    EXPECT_EQ(camera.direction, initialDirection);
    path.advance(1.0f / 30.0f);
    EXPECT_EQ(path.step, 0);
    EXPECT_GT(glm::length(camera.position - CameraPath::points[0]), 0.0f);
}

TEST(CameraPathTable, DirectionsOfTravelMatchTheMoves) {
    const vec3* P = CameraPath::points;
    const vec3* V = CameraPath::directions;
    EXPECT_NEAR(glm::length(glm::normalize(P[3] - P[2]) - V[4]), 0.0f, 1e-5f);
    EXPECT_NEAR(glm::length(glm::normalize(P[4] - P[3]) - V[6]), 0.0f, 1e-5f);
    EXPECT_NEAR(glm::length(P[0] - P[5] - V[8]), 0.0f, 1e-5f);
    float total = 0.0f;
    for (const auto& step : CameraPath::steps) total += step.duration;
    EXPECT_EQ(total, 50.0f);
}
