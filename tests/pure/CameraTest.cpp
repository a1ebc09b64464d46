// The camera's projection, its timed operations and its console report.
#include "ViewMatrix.h"

#include "math/Camera.h"

#include <gtest/gtest.h>

using namespace Quessel;

TEST(Camera, ProjectionIsSixtyDegreesHighFromATenthToTenThousand) {
    // perspective(2 x 0.5236, 1280 / 768, 0.1, 10000) in float arithmetic.
    const float expected[16] = {1.0392276f, 0, 0, 0, 0, 1.7320460f, 0, 0, 0, 0, -1.0000199f, -1, 0, 0, -0.20000198f, 0};
    const Camera camera;
    const float* actual = glm::value_ptr(camera.projection);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], 2e-6f) << "float " << i;
}

TEST(Camera, FirstUpdateReportsEightLinesAndSecondIsSilent) {
    Camera camera;
    testing::internal::CaptureStdout();
    camera.updateFromAngles();
    const std::string first = testing::internal::GetCapturedStdout();
    EXPECT_EQ(first,
              "Camera location:\n1.000000\n1.000000\n1.000000\n"
              "Camera direction:\n0.001593\n0.000000\n-0.999999\n");
    EXPECT_TRUE(Quessel::Test::matricesNear(camera.view, Quessel::Test::lookAlong(vec3(1.0f), camera.direction)));
    testing::internal::CaptureStdout();
    camera.updateFromAngles();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(camera.view, camera.previousView);
}

TEST(Camera, OnlyTheFirstInitCounts) {
    Camera camera;
    camera.init(vec3(0, 0, 5), vec3(0, 0, 0));
    const mat4 view = camera.view;
    camera.init(vec3(3, 3, 3), vec3(9, 0, 0));
    EXPECT_EQ(camera.view, view);
    EXPECT_EQ(camera.position, vec3(0, 0, 5));
    EXPECT_EQ(camera.direction, vec3(0, 0, -1));
    EXPECT_EQ(camera.up, vec3(0, 1, 0));
}

TEST(Camera, MoveFinishesOnlyAfterTExceedsOneAndDropsTheExcess) {
    Camera camera;
    camera.init(vec3(0, 0, 0), vec3(0, 0, -1));
    const vec3 from(0, 0, 0), to(10, 0, 0);
    EXPECT_FALSE(camera.move(5.0f, 2.0f, from, to));
    EXPECT_NEAR(camera.position.x, 4.0f, 1e-5f);
    EXPECT_FALSE(camera.move(5.0f, 2.0f, from, to));
    EXPECT_NEAR(camera.position.x, 8.0f, 1e-5f);
    EXPECT_TRUE(camera.move(5.0f, 2.0f, from, to));
    EXPECT_EQ(camera.position, to);
    EXPECT_EQ(camera.pathTime, 0.0f);
    EXPECT_FALSE(camera.move(5.0f, 2.0f, from, to));  // begins again at t = 0.4
    EXPECT_NEAR(camera.position.x, 4.0f, 1e-5f);
    // Moving keeps the direction set by init (it feeds "cameraDirection").
    EXPECT_EQ(camera.direction, vec3(0, 0, -1));
}

TEST(Camera, TExactlyOneDoesNotFinish) {
    Camera camera;
    camera.init(vec3(0, 0, 0), vec3(0, 0, -1));
    EXPECT_FALSE(camera.turn(1.0f, 0.5f, vec3(0, 0, -1), vec3(1, 0, 0)));
    EXPECT_FALSE(camera.turn(1.0f, 0.5f, vec3(0, 0, -1), vec3(1, 0, 0)));
    EXPECT_TRUE(camera.turn(1.0f, 0.01f, vec3(0, 0, -1), vec3(1, 0, 0)));
    // The finishing call shows the end state: looking along +X.
    const vec4 ahead = camera.view * vec4(1, 0, 0, 1);
    EXPECT_NEAR(ahead.z, -1.0f, 1e-5f);
}

TEST(Camera, HoldKeepsTheViewStillAndFinishesAfterItsDuration) {
    Camera camera;
    camera.init(vec3(0, 0, 0), vec3(0, 0, -1));
    ASSERT_TRUE(camera.move(1.0f, 2.0f, vec3(0, 0, 0), vec3(0, 0, -4)));
    const mat4 view = camera.view;
    int calls = 0;
    bool finished = false;
    while (!finished) {
        finished = camera.hold(12.0f, 1.0f);
        ++calls;
        EXPECT_EQ(camera.view, view);
        EXPECT_EQ(camera.previousView, camera.view);
    }
    EXPECT_EQ(calls, 13);  // 12 s is not yet past the end; 13 s is
    EXPECT_EQ(camera.pathTime, 0.0f);
}
