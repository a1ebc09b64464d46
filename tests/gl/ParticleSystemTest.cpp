// The transform-feedback emitter: global state, the sprite, its buffers and their
// ping-pong, and how particles move, die and restart.
#include "ImporterTest.h"

#include "particles/ParticleSystem.h"

#include <SOIL/SOIL.h>

#include <filesystem>
#include <tuple>
#include <vector>

using namespace Quessel;
using namespace Quessel::Test;
namespace fs = std::filesystem;

namespace {

// Each vertex-array bind with the rasterizer-discard state and the feedback object then.
using VaoBind = std::tuple<GLuint, bool, GLint>;
std::vector<VaoBind> vaoBinds;
PFNGLBINDVERTEXARRAYPROC realBindVertexArray = nullptr;

void GLAPIENTRY recordBindVertexArray(GLuint array) {
    GLint feedback = 0;
    glGetIntegerv(GL_TRANSFORM_FEEDBACK_BINDING, &feedback);
    vaoBinds.emplace_back(array, glIsEnabled(GL_RASTERIZER_DISCARD) == GL_TRUE, feedback);
    realBindVertexArray(array);
}

// Buffer names as generated, and storage as allocated: (buffer bound, size, usage).
std::vector<GLuint> generatedBuffers;
using Allocation = std::tuple<GLuint, GLsizeiptr, GLenum>;
std::vector<Allocation> allocations;
size_t allocationsBeforeLastName = 0;
PFNGLGENBUFFERSPROC realGenBuffers = nullptr;
PFNGLBUFFERDATAPROC realBufferData = nullptr;

void GLAPIENTRY recordGenBuffers(GLsizei count, GLuint* names) {
    realGenBuffers(count, names);
    generatedBuffers.insert(generatedBuffers.end(), names, names + count);
    allocationsBeforeLastName = allocations.size();
}

void GLAPIENTRY recordBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage) {
    GLint bound = 0;
    glGetIntegerv(target == GL_ARRAY_BUFFER ? GL_ARRAY_BUFFER_BINDING : GL_UNIFORM_BUFFER_BINDING, &bound);
    allocations.emplace_back(static_cast<GLuint>(bound), size, usage);
    realBufferData(target, size, data, usage);
}

std::vector<float> readFloats(GLuint buffer, size_t count) { return readBuffer<float>(buffer, count); }

using ParticleSystemTest = ImporterTest;

}  // namespace

TEST_F(ParticleSystemTest, ConstructionSetsGlobalStateAndRunsWithoutTheSprite) {
    ScratchDir empty;
    const fs::path previous = fs::current_path();
    fs::current_path(empty.path);  // no smoke.png here
    testing::internal::CaptureStdout();
    ParticleSystem particles(&importer);
    const std::string printed = testing::internal::GetCapturedStdout();
    fs::current_path(previous);

    EXPECT_EQ(printed, "Couldn't load Image: smoke.png\n");
    EXPECT_EQ(particles.texture, 0u);
    float clear[4] = {}, pointSize = 0.0f;
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(std::vector<float>(clear, clear + 4), std::vector<float>(4, 1.0f));
    glGetFloatv(GL_POINT_SIZE, &pointSize);
    EXPECT_EQ(pointSize, 100.0f);
    EXPECT_TRUE(glIsEnabled(GL_PROGRAM_POINT_SIZE));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    const std::pair<GLenum, GLint> state[] = {{GL_BLEND_SRC_RGB, GL_SRC_ALPHA},
                                              {GL_BLEND_SRC_ALPHA, GL_SRC_ALPHA},
                                              {GL_BLEND_DST_RGB, GL_ONE_MINUS_SRC_ALPHA},
                                              {GL_BLEND_DST_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
                                              {GL_ACTIVE_TEXTURE, GL_TEXTURE3},
                                              {GL_VERTEX_ARRAY_BINDING, GLint(particles.vertexArrays[0])},
                                              {GL_TRANSFORM_FEEDBACK_BINDING, GLint(particles.feedbacks[0])}};
    for (const auto& [name, expected] : state) {
        GLint value = -1;
        glGetIntegerv(name, &value);
        EXPECT_EQ(value, expected) << "0x" << std::hex << name;
    }
}

TEST_F(ParticleSystemTest, SpriteIsUploadedWithItsBottomRowFirst) {
    int width = 0, height = 0, channels = 0;
    unsigned char* decoded = SOIL_load_image("smoke.png", &width, &height, &channels, SOIL_LOAD_RGBA);
    if (!decoded) GTEST_SKIP() << "smoke.png is not in the working directory";
    const std::vector<unsigned char> file(decoded, decoded + width * height * 4);
    SOIL_free_image_data(decoded);

    ParticleSystem particles(&importer);
    ASSERT_NE(particles.texture, 0u);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);  // on unit 3, still active
    EXPECT_EQ(bound, static_cast<GLint>(particles.texture));
    const Texels texels = readTexels(particles.texture);
    ASSERT_EQ(texels.width, width);
    // SOIL decodes top row first; the texture starts at the image's lower left.
    for (int y = 0; y < height; ++y)
        ASSERT_EQ(0, std::memcmp(&texels.at(0, y), &file[(height - 1 - y) * width * 4], width * 4)) << "row " << y;
}

TEST_F(ParticleSystemTest, EightBufferNamesComeFirstThenTheirStorage) {
    generatedBuffers.clear();
    allocations.clear();
    realGenBuffers = __glewGenBuffers;
    realBufferData = __glewBufferData;
    __glewGenBuffers = recordGenBuffers;
    __glewBufferData = recordBufferData;
    ParticleSystem particles(&importer);
    __glewGenBuffers = realGenBuffers;
    __glewBufferData = realBufferData;

    // Names: two position, two velocity, two start-time, initial velocity, initial position.
    EXPECT_EQ(
        generatedBuffers,
        (std::vector<GLuint>{particles.positionBuffers[0], particles.positionBuffers[1], particles.velocityBuffers[0],
                             particles.velocityBuffers[1], particles.startTimeBuffers[0], particles.startTimeBuffers[1],
                             particles.initialVelocityBuffer, particles.initialPositionBuffer}));
    EXPECT_EQ(allocationsBeforeLastName, 0u) << "storage allocated before every name was generated";
    // Storage without data: the state sets, the launch data, then the birth times.
    ASSERT_GE(allocations.size(), 8u);
    const std::vector<Allocation> storage(allocations.begin(), allocations.begin() + 8);
    EXPECT_EQ(storage, (std::vector<Allocation>{
                           {particles.positionBuffers[0], 12000, GL_DYNAMIC_COPY},
                           {particles.positionBuffers[1], 12000, GL_DYNAMIC_COPY},
                           {particles.velocityBuffers[0], 12000, GL_DYNAMIC_COPY},
                           {particles.velocityBuffers[1], 12000, GL_DYNAMIC_COPY},
                           {particles.initialVelocityBuffer, 12000, GL_STATIC_DRAW},
                           {particles.initialPositionBuffer, 12000, GL_STATIC_DRAW},
                           {particles.startTimeBuffers[0], 4000, GL_DYNAMIC_COPY},
                           {particles.startTimeBuffers[1], 4000, GL_DYNAMIC_COPY},
                       }));
}

TEST_F(ParticleSystemTest, StateSetsAreWiredAndAlternateAcrossDraws) {
    ParticleSystem particles(&importer);
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        const GLuint expected[5] = {particles.positionBuffers[k], particles.velocityBuffers[k],
                                    particles.startTimeBuffers[k], particles.initialVelocityBuffer,
                                    particles.initialPositionBuffer};
        const GLint components[5] = {3, 3, 1, 3, 3};
        glBindVertexArray(particles.vertexArrays[k]);
        for (GLuint location = 0; location < 5; ++location) {
            GLint buffer = 0, size = 0, enabled = 0;
            glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
            glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
            glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
            EXPECT_EQ(buffer, static_cast<GLint>(expected[location])) << location;
            EXPECT_EQ(size, components[location]) << location;
            EXPECT_EQ(enabled, GL_TRUE) << location;
        }
        glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, particles.feedbacks[k]);
        for (GLuint index = 0; index < 3; ++index) {
            GLint buffer = 0;
            glGetIntegeri_v(GL_TRANSFORM_FEEDBACK_BUFFER_BINDING, index, &buffer);
            EXPECT_EQ(buffer, static_cast<GLint>(expected[index])) << index;
        }
    }
    EXPECT_EQ(readFloats(particles.startTimeBuffers[1], 0).size(), 1000u);

    importer.registry->use("particle");
    realBindVertexArray = __glewBindVertexArray;
    __glewBindVertexArray = recordBindVertexArray;
    vaoBinds.clear();
    particles.draw();
    particles.draw();
    __glewBindVertexArray = realBindVertexArray;
    const GLuint* va = particles.vertexArrays;
    const GLint fb[2] = {static_cast<GLint>(particles.feedbacks[0]), static_cast<GLint>(particles.feedbacks[1])};
    // Update reads the other set with the rasterizer off; render shows the set just written.
    EXPECT_EQ(vaoBinds, (std::vector<VaoBind>{
                            {va[0], true, fb[1]}, {va[1], false, fb[1]}, {va[1], true, fb[0]}, {va[0], false, fb[0]}}));
    EXPECT_EQ(particles.drawBuffer, 1);
}

TEST_F(ParticleSystemTest, ParticlesMoveUnderAccelerationLiveTenSecondsThenRestartFromTheirLaunchState) {
    ParticleSystem particles(&importer);
    const std::vector<float> launchPositions = readFloats(particles.initialPositionBuffer, 3000);
    const std::vector<float> launchVelocities = readFloats(particles.initialVelocityBuffer, 3000);
    const std::vector<float> births = readFloats(particles.startTimeBuffers[0], 1000);
    // Every particle starts at the chimney's flue, in both buffers that hold its position.
    EXPECT_EQ(readFloats(particles.positionBuffers[0], 3000), launchPositions);
    for (size_t i = 0; i < 3000; i += 3) {
        const vec3 start(launchPositions[i], launchPositions[i + 1], launchPositions[i + 2]);
        ASSERT_LT(glm::length(start - vec3(-4.05726f, 7.54f, -5.16352f)), 1e-5f) << i;
    }
    importer.registry->use("particle");
    glViewport(0, 0, 1, 1);  // the render half of each draw is not looked at here
    // Past the last birth (99.9 s) and several lifetimes of the first particles, watching
    // every particle's start time: it changes only when the particle dies, to that moment.
    const float h = 0.25f;
    const float lifetime = 10.0f;
    float now = 0.0f;
    std::vector<float> starts = births;
    // The first particle by semi-implicit Euler: the new velocity moves it.
    vec3 p(launchPositions[0], launchPositions[1], launchPositions[2]);
    vec3 v(launchVelocities[0], launchVelocities[1], launchVelocities[2]);
    int deaths = 0, early = 0, late = 0, misdated = 0;
    for (int step = 1; step <= 500; ++step) {
        now = h * static_cast<float>(step);
        particles.time = now;
        particles.deltaTime = h;
        particles.draw();
        const int set = 1 - particles.drawBuffer;
        if (step <= 5) {
            v.y += 0.1f * h;
            p += v * h;
        }
        if (step == 5) {
            const std::vector<float> positions = readFloats(particles.positionBuffers[set], 3000);
            const std::vector<float> velocities = readFloats(particles.velocityBuffers[set], 3000);
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(positions[c], p[c], 1e-5f) << c;
                EXPECT_NEAR(velocities[c], v[c], 1e-6f) << c;
                EXPECT_EQ(positions[2997 + c], launchPositions[2997 + c]) << c;  // born at 99.9
            }
        }
        const std::vector<float> written = readFloats(particles.startTimeBuffers[set], 1000);
        for (int i = 0; i < 1000; ++i) {
            if (written[i] == starts[i]) continue;
            ++deaths;
            const float age = now - starts[i];
            early += age <= lifetime;
            late += age > lifetime + h;
            misdated += written[i] != now;
        }
        starts = written;
    }
    EXPECT_EQ(early, 0) << "of " << deaths << " deaths came before the end of the lifetime";
    EXPECT_EQ(late, 0) << "of " << deaths << " deaths came more than a step after it";
    EXPECT_EQ(misdated, 0) << "of " << deaths << " restarts are not dated to their step";

    // A restarted particle set off again from its launch point with its launch velocity.
    const int written = 1 - particles.drawBuffer;
    const std::vector<float> positions = readFloats(particles.positionBuffers[written], 3000);
    const std::vector<float> velocities = readFloats(particles.velocityBuffers[written], 3000);
    int restarted = 0;
    for (int i = 0; i < 1000; ++i) {
        if (starts[i] == births[i]) continue;
        ++restarted;
        SCOPED_TRACE("particle " + std::to_string(i));
        const float age = now - starts[i];
        const size_t x = 3 * static_cast<size_t>(i), y = x + 1, z = x + 2;
        EXPECT_NEAR(velocities[x], launchVelocities[x], 1e-6f);
        EXPECT_NEAR(velocities[y], launchVelocities[y] + 0.1f * age, 1e-4f);
        EXPECT_NEAR(velocities[z], launchVelocities[z], 1e-6f);
        EXPECT_NEAR(positions[x], launchPositions[x] + launchVelocities[x] * age, 1e-4f);
        EXPECT_NEAR(positions[z], launchPositions[z] + launchVelocities[z] * age, 1e-4f);
        EXPECT_GE(positions[y], launchPositions[y] + launchVelocities[y] * age);
    }
    // All are born by 99.9 s, so by 125 s every one has died at least once.
    EXPECT_EQ(restarted, 1000);
}
