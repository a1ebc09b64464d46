// The study tool's frames composed from the demo's passes: held, nothing moves and the
// same picture comes twice; flown with a step, the clock, light, smoke and cube-map
// rotation move on, the camera path does not, and the blur starts from the frame before.
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

#include <tuple>

using namespace Quessel;

TEST(StudyFrame, HeldFramesMoveNothingAndShowTheSamePictureAndAFlownStepMovesAllButThePath) {
    Quessel::Test::FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    Demo& demo = driver.demo;
    const aiNode* light = NodeQuery::find(demo.importer->scene->mRootNode, "PointLight1");
    ASSERT_NE(light, nullptr);
    // Cube-map rotation, clock, smoke, path row, time into it, the light's x.
    const auto moving = [&] {
        return std::make_tuple(demo.rotationIndex, driver.clock, demo.particles->time, demo.path.step,
                               demo.camera.pathTime, light->mTransformation.a4);
    };
    // Into the first move, so the path's last frame carries motion blur.
    driver.frame(1.0);
    driver.frame(1.0 / 30.0);
    Study::ComposedFrame composed(driver);

    const auto before = moving();
    composed.draw(0.0, nullptr);
    const RgbImage first = RgbImage::readWindow(ScreenWidth, ScreenHeight);
    composed.draw(0.0, nullptr);
    EXPECT_TRUE(moving() == before) << "a held frame moved something";
    EXPECT_TRUE(RgbImage::readWindow(ScreenWidth, ScreenHeight).pixels == first.pixels) << "two held frames differ";
    EXPECT_EQ(demo.camera.previousView, demo.camera.view) << "a held frame blurs";

    Study::FreeCamera flight;
    flight.enter(demo.camera);
    Study::HeldKeys forward;
    forward.forward = true;
    flight.fly(forward, 0.5f);
    composed.draw(1.0 / 30.0, &flight);
    const auto [rotation, clock, smoke, row, rowTime, lightX] = moving();
    EXPECT_EQ(rotation, (std::get<0>(before) + 1) % static_cast<int>(demo.renderers.size()));
    EXPECT_DOUBLE_EQ(clock, std::get<1>(before) + 1.0 / 30.0);
    EXPECT_GT(smoke, std::get<2>(before));
    EXPECT_EQ(std::make_tuple(row, rowTime), std::make_tuple(std::get<3>(before), std::get<4>(before)));
    EXPECT_NE(lightX, std::get<5>(before));
    const mat4 drawnView = demo.camera.view;
    EXPECT_EQ(drawnView, flight.view());
    flight.fly(forward, 0.5f);
    composed.draw(0.0, &flight);
    EXPECT_EQ(demo.camera.previousView, drawnView) << "the flight's blur does not start from the frame before";
}
