// The study tool's frames composed from the demo's passes: held, nothing moves and the
// same picture comes twice; flown with a step, the clock, light, smoke and cube-map
// rotation move on and the camera path does not.
#include "FrameDriver.h"

#include "core/GlConstants.h"
#include "core/RgbImage.h"
#include "math/Camera.h"
#include "particles/ParticleSystem.h"
#include "scene/Importer.h"
#include "scene/NodeQuery.h"
#include "study/ComposedFrame.h"
#include "study/FreeCamera.h"

#include <assimp/scene.h>

using namespace Quessel;

namespace {
// What a frame may move, read before and after it.
struct Moving {
    int rotation;
    double clock;
    float particleTime;
    int pathStep;
    float pathTime;
    aiMatrix4x4 light;

    static Moving of(Quessel::Test::FrameDriver& driver) {
        Demo& demo = driver.demo;
        const aiNode* light = NodeQuery::find(demo.importer->scene->mRootNode, "PointLight1");
        return {demo.rotationIndex, driver.clock,         demo.particles->time,
                demo.path.step,     demo.camera.pathTime, light ? light->mTransformation : aiMatrix4x4()};
    }
};
}  // namespace

TEST(StudyFrame, HeldFramesMoveNothingAndShowTheSamePictureAndAFlownStepMovesAllButThePath) {
    Quessel::Test::FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    // Into the first move, so the last frame of the path carries motion blur.
    driver.frame(1.0);
    driver.frame(1.0 / 30.0);
    Study::ComposedFrame composed(driver);

    const Moving before = Moving::of(driver);
    composed.draw(0.0, nullptr);
    const RgbImage first = RgbImage::readWindow(ScreenWidth, ScreenHeight);
    composed.draw(0.0, nullptr);
    const RgbImage second = RgbImage::readWindow(ScreenWidth, ScreenHeight);
    const Moving held = Moving::of(driver);
    EXPECT_EQ(held.rotation, before.rotation) << "a held frame refreshed a cube map";
    EXPECT_EQ(held.clock, before.clock);
    EXPECT_EQ(held.particleTime, before.particleTime);
    EXPECT_EQ(held.light, before.light);
    EXPECT_EQ(held.pathStep, before.pathStep);
    EXPECT_EQ(held.pathTime, before.pathTime);
    EXPECT_TRUE(first.pixels == second.pixels) << "two held frames differ";
    EXPECT_EQ(driver.demo.camera.previousView, driver.demo.camera.view) << "a held frame blurs";

    Study::FreeCamera flight;
    flight.enter(driver.demo.camera);
    Study::HeldKeys forward;
    forward.forward = true;
    flight.fly(forward, 0.5f);
    composed.draw(1.0 / 30.0, &flight);
    const Moving flown = Moving::of(driver);
    EXPECT_EQ(flown.rotation, (before.rotation + 1) % static_cast<int>(driver.demo.renderers.size()));
    EXPECT_DOUBLE_EQ(flown.clock, before.clock + 1.0 / 30.0);
    EXPECT_GT(flown.particleTime, before.particleTime);
    EXPECT_FALSE(flown.light == before.light);
    EXPECT_EQ(flown.pathStep, before.pathStep);
    EXPECT_EQ(flown.pathTime, before.pathTime);
    EXPECT_EQ(driver.demo.camera.view, flight.view());
    // The next flown frame blurs from the one drawn before it.
    const mat4 drawnView = driver.demo.camera.view;
    flight.fly(forward, 0.5f);
    composed.draw(0.0, &flight);
    EXPECT_EQ(driver.demo.camera.previousView, drawnView);
    EXPECT_EQ(driver.demo.camera.view, flight.view());
}
