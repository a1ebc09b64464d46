// What real frames hand their shaders besides matrices and textures: the camera, the
// refracting sphere, the particle clock and the frame rate, and a mip chain rebuilt
// from each frame's picture; during a camera hold the window shows the picture as drawn.
#include "FrameDriver.h"

#include "app/OffscreenFramebuffer.h"
#include "core/ImageDifference.h"
#include "math/Camera.h"
#include "particles/ParticleSystem.h"
#include "scene/Importer.h"
#include "scene/SceneryObject.h"
#include "scene/ShaderRegistry.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace Quessel;

namespace {

mat4 readView(GLuint buffer) {
    mat4 view(0.0f);
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    glGetBufferSubData(GL_UNIFORM_BUFFER, 64, sizeof(mat4), glm::value_ptr(view));
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    return view;
}

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

std::vector<uint8_t> level(GLuint texture, int index, int& width, int& height) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, index, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, index, GL_TEXTURE_HEIGHT, &height);
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!rgb.empty()) glGetTexImage(GL_TEXTURE_2D, index, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// Level 1 of the colour target is level 0 halved, down to a 1 x 1 level at the end of the
// chain: the blur samples a chain made from this frame, not an earlier one.
void expectMipChainOfThisFrame(GLuint texture) {
    int width = 0, height = 0, halfWidth = 0, halfHeight = 0;
    const std::vector<uint8_t> full = level(texture, 0, width, height);
    const std::vector<uint8_t> half = level(texture, 1, halfWidth, halfHeight);
    ASSERT_EQ(halfWidth, width / 2);
    ASSERT_EQ(halfHeight, height / 2);
    double difference = 0.0;
    for (int y = 0; y < halfHeight; ++y)
        for (int x = 0; x < halfWidth; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx) sum += full[((2 * y + dy) * width + 2 * x + dx) * 3 + c];
                difference += std::abs(sum / 4.0 - half[(y * halfWidth + x) * 3 + c]);
            }
    EXPECT_LT(difference / (halfWidth * halfHeight * 3), 1.0);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 10, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
}

// What the window shows against the colour target, as a mean channel difference.
double windowAgainstColorTarget(const Demo& demo) {
    const RgbImage target = RgbImage::readTexture(demo.colorTarget->texture);
    return ImageDifference::between(RgbImage::readWindow(target.width, target.height), target).mean;
}

void expectFrameInputs(const Demo& demo, double clock, double dt) {
    const Camera& camera = demo.camera;
    const Importer& importer = *demo.importer;
    ShaderRegistry& registry = *importer.registry;
    const GLuint test = registry.get("test").program, particle = registry.get("particle").program;
    EXPECT_EQ(uniform3(test, "cameraPosition"), camera.position);
    EXPECT_EQ(uniform3(test, "cameraDirection"), camera.direction);
    EXPECT_EQ(uniform1(registry.get("motionblur").program, "fps"), static_cast<float>(1.0 / dt));
    EXPECT_NEAR(uniform1(particle, "Time"), clock, 1e-4);
    EXPECT_NEAR(uniform1(particle, "H"), dt, 1e-4);
    EXPECT_EQ(uniform3(particle, "CameraPosition"), camera.position);

    float sphere[5] = {};
    glBindBuffer(GL_UNIFORM_BUFFER, importer.sphereBuffer);
    glGetBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof sphere, sphere);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    ASSERT_EQ(demo.refractiveObjects.size(), 1u);
    EXPECT_EQ(vec3(sphere[0], sphere[1], sphere[2]), demo.refractiveObjects[0]->getPosition(true));
    EXPECT_EQ(sphere[3], 1.0f);
    EXPECT_EQ(sphere[4], -2.0f);

    EXPECT_EQ(readView(importer.matricesBuffer), camera.view);
    EXPECT_EQ(readView(importer.previousMatricesBuffer), camera.previousView);
    expectMipChainOfThisFrame(demo.colorTarget->texture);
}

}  // namespace

TEST(Composite, FramesHandTheirShadersCameraSphereClockFrameRateAndAFreshMipChain) {
    Quessel::Test::FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    Demo& demo = driver.demo;
    const Camera& camera = demo.camera;

    driver.frame(1.0 / 30.0);
    expectFrameInputs(demo, driver.clock, 1.0 / 30.0);
    EXPECT_NE(camera.previousView, camera.view) << "moving";
    // Nothing culls: open meshes seen from behind must still be drawn.
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));

    // During the P1 hold the composite sees no motion.
    driver.runUntil(9.0, 1.0);
    driver.frame(1.0 / 20.0);
    ASSERT_EQ(demo.path.step, 1);
    expectFrameInputs(demo, driver.clock, 1.0 / 20.0);
    EXPECT_EQ(camera.previousView, camera.view);
    EXPECT_LT(windowAgainstColorTarget(demo), 0.01) << "a still camera shows the picture unblurred";

    // Half-way through the turn after it the view looks elsewhere, yet the direction the
    // shaders get is still the one the path started with.
    const vec3 startDirection =
        glm::normalize(vec3(1.167896f, 4.862509f, 7.776461f) - vec3(8.865234f, 9.347880f, 19.188326f));
    driver.seek(2, 0.5, 1.0 / 10.0, 2.0);
    ASSERT_EQ(demo.path.step, 2);
    expectFrameInputs(demo, driver.clock, 1.0 / 10.0);
    EXPECT_NEAR(glm::length(camera.direction - startDirection), 0.0f, 1e-6f);
    const vec3 viewDirection = -vec3(camera.view[0][2], camera.view[1][2], camera.view[2][2]);
    EXPECT_GT(glm::length(viewDirection - startDirection), 0.1f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
