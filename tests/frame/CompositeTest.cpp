// What real frames hand their shaders besides matrices and textures: the camera, the
// refracting sphere, the particle clock and the frame rate, and a mip chain rebuilt
// from each frame's picture; during a camera hold the window shows the picture as drawn.
#include "FrameDriver.h"
#include "ReferenceImage.h"

#include "app/OffscreenFramebuffer.h"
#include "core/ImageDifference.h"
#include "math/Camera.h"
#include "particles/ParticleSystem.h"
#include "scene/Importer.h"
#include "scene/SceneryObject.h"
#include "scene/ShaderRegistry.h"

#include <vector>

using namespace Quessel;

namespace {

mat4 readView(GLuint buffer) { return Quessel::Test::readBuffer<mat4>(buffer, 1, sizeof(mat4))[0]; }

vec3 uniform3(GLuint program, const char* name) {
    vec3 value(-99.0f);
    glGetUniformfv(program, glGetUniformLocation(program, name), glm::value_ptr(value));
    return value;
}

float uniform1(GLuint program, const char* name) {
    float value = -99.0f;
    glGetUniformfv(program, glGetUniformLocation(program, name), &value);
    return value;
}

// Level 1 of the colour target is level 0 halved, down to a 1 x 1 level at the end of the
// chain: the blur samples a chain made from this frame, not an earlier one.
void expectMipChainOfThisFrame(GLuint texture) {
    const RgbImage half = Quessel::Test::readTexels(texture, GL_TEXTURE_2D, 1).rgb();
    EXPECT_LT(ImageDifference::between(Quessel::Test::halfSize(RgbImage::readTexture(texture)), half).mean, 1.0);
    EXPECT_EQ(Quessel::Test::readTexels(texture, GL_TEXTURE_2D, 10).width, 1);
}

// What the window shows against the colour target, as a mean channel difference.
double windowAgainstColorTarget(const Demo& demo) {
    const RgbImage target = RgbImage::readTexture(demo.view().colorTarget());
    return ImageDifference::between(RgbImage::readWindow(target.width, target.height), target).mean;
}

void expectFrameInputs(const Demo& demo, double clock, double dt) {
    const Camera& camera = demo.view().camera();
    const Importer& importer = *demo.parts().importer;
    ShaderRegistry& registry = *importer.registry;
    const GLuint test = registry.get("test").program, particle = registry.get("particle").program;
    EXPECT_EQ(uniform3(test, "cameraPosition"), camera.position);
    EXPECT_EQ(uniform3(test, "cameraDirection"), camera.direction);
    EXPECT_EQ(uniform1(registry.get("motionblur").program, "fps"), static_cast<float>(1.0 / dt));
    EXPECT_NEAR(uniform1(particle, "Time"), clock, 1e-4);
    EXPECT_NEAR(uniform1(particle, "H"), dt, 1e-4);
    EXPECT_EQ(uniform3(particle, "CameraPosition"), camera.position);

    ASSERT_EQ(demo.parts().refractiveObjects.size(), 1u);
    const vec3 centre = demo.parts().refractiveObjects[0]->getPosition(true);
    EXPECT_EQ(Quessel::Test::readBuffer<float>(importer.sphereBuffer),
              (std::vector<float>{centre.x, centre.y, centre.z, 1.0f, -2.0f}));

    EXPECT_EQ(readView(importer.matricesBuffer), camera.view);
    EXPECT_EQ(readView(importer.previousMatricesBuffer), camera.previousView);
    expectMipChainOfThisFrame(demo.view().colorTarget());
}

}  // namespace

TEST(Composite, FramesHandTheirShadersCameraSphereClockFrameRateAndAFreshMipChain) {
    Quessel::Test::FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    Demo& demo = driver.demo;
    const Camera& camera = demo.view().camera();

    driver.frame(1.0 / 30.0);
    expectFrameInputs(demo, driver.clock(), 1.0 / 30.0);
    EXPECT_NE(camera.previousView, camera.view) << "moving";
    // Nothing culls: open meshes seen from behind must still be drawn.
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));

    // During the P1 hold the composite sees no motion.
    driver.runUntil(9.0, 1.0);
    driver.frame(1.0 / 20.0);
    ASSERT_EQ(demo.view().path().step, 1);
    expectFrameInputs(demo, driver.clock(), 1.0 / 20.0);
    EXPECT_EQ(camera.previousView, camera.view);
    EXPECT_LT(windowAgainstColorTarget(demo), 0.01) << "a still camera shows the picture unblurred";

    // Half-way through the turn after it the view looks elsewhere, yet the direction the
    // shaders get is still the one the path started with.
    const vec3 startDirection =
        glm::normalize(vec3(1.167896f, 4.862509f, 7.776461f) - vec3(8.865234f, 9.347880f, 19.188326f));
    for (int frames = 0; frames < 100 && demo.view().path().step != 2; ++frames) driver.frame(1.0 / 10.0);
    for (int frames = 0; frames < 4; ++frames) driver.frame(1.0 / 10.0);
    ASSERT_EQ(demo.view().path().step, 2);
    expectFrameInputs(demo, driver.clock(), 1.0 / 10.0);
    EXPECT_NEAR(glm::length(camera.direction - startDirection), 0.0f, 1e-6f);
    const vec3 viewDirection = -vec3(camera.view[0][2], camera.view[1][2], camera.view[2][2]);
    EXPECT_GT(glm::length(viewDirection - startDirection), 0.1f);
}
