// The nine shader programs built from the files in bin/Shader: clean builds, the
// interface the C++ side relies on, and what the particle, depth and motion-blur
// shaders compute.
#include "GlTestContext.h"
#include "GlTestHelpers.h"

#include "core/GlConstants.h"
#include "core/ImageDifference.h"
#include "scene/ShaderRegistry.h"

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace Quessel::Test;
namespace Binding = Quessel::BlockBinding;
namespace Size = Quessel::BlockSize;

const char* const programNames[] = {"test",   "depth",    "motionblur", "cubemap", "skybox",
                                    "render", "particle", "reflect",    "refract"};

GLuint programOf(const std::string& name) { return standardPrograms().get(name).program; }

// The demo's projection (60 degrees high, near 0.1, far 10000) for a viewport's aspect.
glm::mat4 projectionFor(float aspect) { return glm::perspective(2.0f * 0.5236f, aspect, 0.1f, 10000.0f); }

GLuint matricesBuffer(GLuint binding, const glm::mat4& projection, const glm::mat4& view) {
    const glm::mat4 block[3] = {projection, view, glm::mat4(1.0f)};
    return makeUniformBuffer(Size::Matrices, binding, block);
}

// A vertex array whose attributes each read a float buffer of their own.
struct Vertices {
    GLuint vertexArray = 0;
    std::vector<GLuint> buffers;

    Vertices() {
        glGenVertexArrays(1, &vertexArray);
        glBindVertexArray(vertexArray);
    }
    ~Vertices() {
        glBindVertexArray(0);
        glDeleteBuffers(GLsizei(buffers.size()), buffers.data());
        glDeleteVertexArrays(1, &vertexArray);
    }
    Vertices& add(GLint location, GLint components, const std::vector<float>& data) {
        buffers.push_back(0);
        glGenBuffers(1, &buffers.back());
        glBindBuffer(GL_ARRAY_BUFFER, buffers.back());
        glBufferData(GL_ARRAY_BUFFER, data.size() * sizeof(float), data.data(), GL_STATIC_DRAW);
        glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(location);
        return *this;
    }
};

// Draws `count` points with the rasterizer off and returns what transform feedback
// captured into one buffer per entry of `floatsPerPoint`.
std::vector<std::vector<float>> capture(GLsizei count, const std::vector<int>& floatsPerPoint) {
    std::vector<GLuint> outputs(floatsPerPoint.size());
    glGenBuffers(GLsizei(outputs.size()), outputs.data());
    for (GLuint i = 0; i < outputs.size(); ++i) {
        glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, outputs[i]);
        glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, count * floatsPerPoint[i] * sizeof(float), nullptr, GL_DYNAMIC_COPY);
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, i, outputs[i]);
    }
    glEnable(GL_RASTERIZER_DISCARD);
    glBeginTransformFeedback(GL_POINTS);
    glDrawArrays(GL_POINTS, 0, count);
    glEndTransformFeedback();
    glDisable(GL_RASTERIZER_DISCARD);
    std::vector<std::vector<float>> captured;
    for (GLuint i = 0; i < outputs.size(); ++i) {
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, i, 0);
        captured.push_back(readBuffer<float>(outputs[i]));
    }
    glDeleteBuffers(GLsizei(outputs.size()), outputs.data());
    return captured;
}

class ShaderProgramsTest : public GlTest {};

TEST_F(ShaderProgramsTest, AllNineCompileAndLinkWithoutMessages) {
    for (const char* name : programNames) {
        SCOPED_TRACE(name);
        const Quessel::ShaderProgram& built = standardPrograms().get(name);
        for (GLuint shader : {built.vertexShader, built.fragmentShader}) {
            GLint compiled = GL_FALSE;
            glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
            EXPECT_EQ(compiled, GL_TRUE);
            EXPECT_EQ(Quessel::shaderInfoLog(shader), "");
        }
        GLint linked = GL_FALSE;
        glGetProgramiv(built.program, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE);
        EXPECT_EQ(Quessel::programInfoLog(built.program), "");
    }
}

TEST_F(ShaderProgramsTest, BlocksMatchTheBuffersBoundToThem) {
    const std::map<std::string, std::pair<GLint, GLint>> blocks = {
        {"Matrices", {Size::Matrices, Binding::Matrices}},
        {"PreviousMatrices", {Size::Matrices, Binding::PreviousMatrices}},
        {"Material", {Size::Material, Binding::Material}},
        {"PointLight", {Size::PointLight, Binding::PointLight}},
        {"Sphere", {Size::Sphere, Binding::Sphere}}};
    // What each pass writes and therefore needs the program to read.
    const std::map<std::string, std::set<std::string>> required = {
        {"test", {"Matrices", "Material", "PointLight"}}, {"depth", {"Matrices"}},
        {"motionblur", {"Matrices", "PreviousMatrices"}}, {"particle", {"Matrices"}},
        {"reflect", {"Matrices", "PointLight"}},          {"refract", {"Matrices", "PointLight", "Sphere"}}};
    for (const char* name : programNames) {
        SCOPED_TRACE(name);
        const GLuint program = programOf(name);
        GLint count = 0;
        glGetProgramiv(program, GL_ACTIVE_UNIFORM_BLOCKS, &count);
        std::set<std::string> active;
        for (GLint index = 0; index < count; ++index) {
            char block[64] = {};
            glGetActiveUniformBlockName(program, index, sizeof block, nullptr, block);
            active.insert(block);
            ASSERT_EQ(blocks.count(block), 1u) << "unknown block " << block;
            GLint size = 0, binding = -1;
            glGetActiveUniformBlockiv(program, index, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
            glGetActiveUniformBlockiv(program, index, GL_UNIFORM_BLOCK_BINDING, &binding);
            // std140 lets a driver pad a block to a multiple of 16 bytes (Mesa does).
            const GLint exact = blocks.at(block).first;
            EXPECT_TRUE(size == exact || size == (exact + 15) / 16 * 16) << block << " is " << size;
            EXPECT_EQ(binding, blocks.at(block).second) << block;
        }
        if (required.count(name)) {
            for (const std::string& block : required.at(name)) EXPECT_EQ(active.count(block), 1u) << block;
        }
    }
}

TEST_F(ShaderProgramsTest, BlockMembersSitAtTheHostsByteOffsets) {
    // "refract" declares every block the C++ side fills piecewise.
    const std::pair<const char*, GLint> members[] = {
        {"Matrices.model", 128},       {"Material.shininess", 64},       {"Material.hasTexture", 68},
        {"PointLight.intensity", 12},  {"PointLight.linearFalloff", 28}, {"PointLight.radius", 48},
        {"PointLight.bufferName", 52}, {"Sphere.outsideIndex", 12},      {"Sphere.log10Dispersion", 16}};
    const GLuint program = programOf("refract");
    for (const auto& member : members) {
        GLuint index = GL_INVALID_INDEX;
        glGetUniformIndices(program, 1, &member.first, &index);
        ASSERT_NE(index, GL_INVALID_INDEX) << member.first;
        GLint offset = -1;
        glGetActiveUniformsiv(program, 1, &index, GL_UNIFORM_OFFSET, &offset);
        EXPECT_EQ(offset, member.second) << member.first;
    }
}

TEST_F(ShaderProgramsTest, SamplersUseTheirUnitsAndNeverShareOneAcrossTypes) {
    using Unit = std::pair<GLenum, GLint>;
    const std::map<std::string, std::set<Unit>> expected = {
        {"test", {{GL_SAMPLER_2D, 0}, {GL_SAMPLER_2D, 1}, {GL_SAMPLER_CUBE, 26}}},
        {"depth", {}},
        {"motionblur", {{GL_SAMPLER_2D, 0}, {GL_SAMPLER_2D, 2}}},
        {"cubemap", {{GL_SAMPLER_CUBE, 26}}},
        {"skybox", {{GL_SAMPLER_CUBE, 26}}},
        {"render", {{GL_SAMPLER_2D, 0}}},
        {"particle", {{GL_SAMPLER_2D, 0}}},
        {"reflect", {{GL_SAMPLER_CUBE, 0}}},
        {"refract", {{GL_SAMPLER_CUBE, 0}}}};
    for (const auto& entry : expected) {
        SCOPED_TRACE(entry.first);
        const GLuint program = programOf(entry.first);
        GLint count = 0;
        glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
        std::set<Unit> found;
        for (GLint index = 0; index < count; ++index) {
            char name[64] = {};
            GLint arraySize = 0;
            GLenum type = 0;
            glGetActiveUniform(program, index, sizeof name, nullptr, &arraySize, &type, name);
            GLint unit = -1;
            if (type == GL_SAMPLER_2D || type == GL_SAMPLER_CUBE) {
                glGetUniformiv(program, glGetUniformLocation(program, name), &unit);
                found.insert({type, unit});
            }
        }
        // The set also rules out two sampler types on one unit, which fails every draw.
        EXPECT_EQ(found, entry.second);
    }
    // The C++ side sets "tex" wherever a program has one; these must not.
    for (const char* name : {"motionblur", "reflect", "refract"})
        EXPECT_EQ(glGetUniformLocation(programOf(name), "tex"), -1);
}

TEST_F(ShaderProgramsTest, ParticleProgramOffersBothPassesAndCapturesThreeSeparateVaryings) {
    const GLuint program = programOf("particle");
    EXPECT_NE(glGetSubroutineIndex(program, GL_VERTEX_SHADER, "update"), GL_INVALID_INDEX);
    EXPECT_NE(glGetSubroutineIndex(program, GL_VERTEX_SHADER, "render"), GL_INVALID_INDEX);
    GLint mode = 0, count = 0;
    glGetProgramiv(program, GL_TRANSFORM_FEEDBACK_BUFFER_MODE, &mode);
    glGetProgramiv(program, GL_TRANSFORM_FEEDBACK_VARYINGS, &count);
    EXPECT_EQ(mode, GL_SEPARATE_ATTRIBS);
    ASSERT_EQ(count, 3);
    const std::pair<const char*, GLenum> varyings[] = {
        {"Position", GL_FLOAT_VEC3}, {"Velocity", GL_FLOAT_VEC3}, {"StartTime", GL_FLOAT}};
    for (GLuint index = 0; index < 3; ++index) {
        char name[32] = {};
        GLsizei size = 0;
        GLenum type = 0;
        glGetTransformFeedbackVarying(program, index, sizeof name, nullptr, &size, &type, name);
        EXPECT_STREQ(name, varyings[index].first);
        EXPECT_EQ(type, varyings[index].second) << name;
    }
    // No other program declares varyings: only "particle" is linked with them.
    for (const char* name : programNames) {
        glGetProgramiv(programOf(name), GL_TRANSFORM_FEEDBACK_VARYINGS, &count);
        EXPECT_EQ(count, std::string(name) == "particle" ? 3 : 0) << name;
    }
}

TEST_F(ShaderProgramsTest, ParticleUpdateWaitsMovesAndRestarts) {
    const GLuint program = programOf("particle");
    glUseProgram(program);
    // At Time 12 with step 0.5: unborn, two seconds old, born 0.1 s ago, past its life.
    Vertices particles;
    particles.add(0, 3, {1, 2, 3, 1, 2, 3, 1, 2, 3, 9, 9, 9})
        .add(1, 3, {0.2f, 0, 0, 0.2f, 0, 0, 0.2f, 0, 0, 0.2f, 0, 0})
        .add(2, 1, {13.0f, 10.0f, 11.9f, 1.0f})
        .add(3, 3, std::vector<float>(4 * 3, 0.05f))
        .add(4, 3, std::vector<float>(4 * 3, -4.0f));
    const GLuint update = glGetSubroutineIndex(program, GL_VERTEX_SHADER, "update");
    glUniformSubroutinesuiv(GL_VERTEX_SHADER, 1, &update);
    glUniform3f(glGetUniformLocation(program, "Accel"), 0.0f, 0.1f, 0.0f);
    glUniform1f(glGetUniformLocation(program, "ParticleLifetime"), 10.0f);
    glUniform1f(glGetUniformLocation(program, "Time"), 12.0f);
    glUniform1f(glGetUniformLocation(program, "H"), 0.5f);
    const std::vector<std::vector<float>> result = capture(4, {3, 3, 1});

    // Semi-implicit Euler: the new velocity moves the particle; a newborn moves for its age only.
    const std::vector<float> expected[3] = {{1, 2, 3, 1.1f, 2.025f, 3, 1.02f, 2.001f, 3, -4, -4, -4},
                                            {0.2f, 0, 0, 0.2f, 0.05f, 0, 0.2f, 0.01f, 0, 0.05f, 0.05f, 0.05f},
                                            {13.0f, 10.0f, 11.9f, 12.0f}};
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_EQ(result[i].size(), expected[i].size());
        for (size_t k = 0; k < result[i].size(); ++k) EXPECT_NEAR(result[i][k], expected[i][k], 1e-5f) << i << " " << k;
    }
}

// The sprite the "render" pass makes of particles of several ages, read back through a
// probe program that links the demo's particle vertex shader with other captured outputs.
class ParticleSpriteTest : public ShaderProgramsTest {
protected:
    struct Sprite {
        float pointSize, opacity, ageFraction;
    };
    GLuint probe = 0;

    void SetUp() override {
        ShaderProgramsTest::SetUp();
        probe = glCreateProgram();
        glAttachShader(probe, standardPrograms().get("particle").vertexShader);
        const char* outputs[3] = {"gl_PointSize", "opacity", "ageFraction"};
        glTransformFeedbackVaryings(probe, 3, outputs, GL_INTERLEAVED_ATTRIBS);
        glLinkProgram(probe);
        GLint linked = GL_FALSE;
        glGetProgramiv(probe, GL_LINK_STATUS, &linked);
        ASSERT_EQ(linked, GL_TRUE) << Quessel::programInfoLog(probe);
    }
    void TearDown() override {
        glDeleteProgram(probe);
        ShaderProgramsTest::TearDown();
    }

    // Particles at the given eye-space positions with the given start times, seen at `time`
    // by the demo's projection from the origin.
    std::vector<Sprite> render(float time, const std::vector<glm::vec3>& positions, const std::vector<float>& starts) {
        const GLuint matrices = matricesBuffer(Binding::Matrices, projectionFor(1280.0f / 768.0f), glm::mat4(1.0f));
        const size_t count = positions.size();
        std::vector<float> xyz, straightUp;
        for (const glm::vec3& p : positions) {
            xyz.insert(xyz.end(), {p.x, p.y, p.z});
            straightUp.insert(straightUp.end(), {0.0f, 0.05f, 0.0f});
        }
        Vertices particles;
        particles.add(0, 3, xyz).add(1, 3, std::vector<float>(count * 3, 0.0f)).add(2, 1, starts);
        particles.add(3, 3, straightUp).add(4, 3, xyz);

        glUseProgram(probe);
        const GLuint renderPass = glGetSubroutineIndex(probe, GL_VERTEX_SHADER, "render");
        glUniformSubroutinesuiv(GL_VERTEX_SHADER, 1, &renderPass);
        glUniform1f(glGetUniformLocation(probe, "ParticleLifetime"), 10.0f);
        glUniform1f(glGetUniformLocation(probe, "Time"), time);
        glUniform3f(glGetUniformLocation(probe, "CameraPosition"), 0.0f, 0.0f, 0.0f);
        const std::vector<float> captured = capture(GLsizei(count), {3})[0];
        glDeleteBuffers(1, &matrices);
        std::vector<Sprite> sprites(count);
        std::memcpy(sprites.data(), captured.data(), std::min(captured.size() * sizeof(float), count * sizeof(Sprite)));
        return sprites;
    }
};

TEST_F(ParticleSpriteTest, PuffsGrowFromAboutAThirdOfAMetreToMetresAndStayWithinTheSizeCap) {
    // 40 m ahead the sizes stay below the cap; the last particle is 2 m ahead.
    const std::vector<float> ages = {0.3f, 2.0f, 5.0f, 8.0f, 9.9f};
    std::vector<glm::vec3> positions(ages.size(), glm::vec3(0.0f, 0.0f, -40.0f));
    std::vector<float> starts;
    for (float age : ages) starts.push_back(50.0f - age);
    positions.push_back(glm::vec3(0.0f, 0.0f, -2.0f));
    starts.push_back(42.0f);
    const std::vector<Sprite> sprites = render(50.0f, positions, starts);

    // Pixels per metre at 40 m: cot(half the field of view) times half the 768-pixel height.
    const float pixelsPerMetre = 384.0f / std::tan(0.5236f) / 40.0f;
    EXPECT_NEAR(sprites[0].pointSize / pixelsPerMetre, 0.3f, 0.1f);
    EXPECT_NEAR(sprites[4].pointSize / pixelsPerMetre, 2.5f, 0.3f);
    for (size_t i = 1; i < ages.size(); ++i) EXPECT_GT(sprites[i].pointSize, sprites[i - 1].pointSize) << ages[i];
    EXPECT_EQ(sprites.back().pointSize, 64.0f) << "a near puff is held at the cap";
    for (const Sprite& sprite : sprites) EXPECT_LE(sprite.pointSize, 64.0f);
}

TEST_F(ParticleSpriteTest, PuffsFadeOutWithAgeAndStayTranslucent) {
    const std::vector<float> ages = {0.3f, 2.0f, 5.0f, 8.0f, 9.9f};
    const std::vector<glm::vec3> positions(ages.size() + 1, glm::vec3(0.0f, 0.0f, -10.0f));
    for (float time : {20.0f, 150.0f}) {
        SCOPED_TRACE(time);
        std::vector<float> starts;
        for (float age : ages) starts.push_back(time - age);
        starts.push_back(time + 1.0f);  // not yet born
        const std::vector<Sprite> sprites = render(time, positions, starts);
        for (size_t i = 0; i < ages.size(); ++i) {
            EXPECT_NEAR(sprites[i].ageFraction, ages[i] / 10.0f, 1e-5f);
            EXPECT_GT(sprites[i].opacity, 0.0f) << ages[i];
        }
        EXPECT_LT(sprites[3].opacity, sprites[2].opacity);
        EXPECT_LT(sprites[4].opacity, 0.2f * sprites[2].opacity) << "gone by the end of its life";
        EXPECT_EQ(sprites.back().ageFraction, -1.0f);
        EXPECT_EQ(sprites.back().opacity, 0.0f);
        // Once all 1000 are born hundreds overlap near the flue: each puff alone stays faint.
        if (time > 100.0f) {
            for (const Sprite& sprite : sprites) EXPECT_LE(sprite.opacity, 0.4f);
        }
    }
}

// The depth pass over a target cleared like the demo's, with a wall 2 m ahead that
// covers the left half; then the composite of a noisy picture with that depth.
class DepthAndMotionBlurTest : public ShaderProgramsTest {
protected:
    static constexpr int width = 64;
    static constexpr int height = 32;
    const glm::mat4 projection = projectionFor(float(width) / height);
    RenderTarget depthTarget{width, height, GL_RGB8};
    Quessel::RgbImage picture{width, height, std::vector<unsigned char>(width* height * 3)};

    void SetUp() override {
        ShaderProgramsTest::SetUp();
        uint32_t seed = 12345u;
        for (unsigned char& value : picture.pixels) value = uint8_t((seed = seed * 1664525u + 1013904223u) >> 24);
        depthTarget.bind();
        glClearColor(0.0f, 0.8f, 0.9f, 0.5f);
        glClear(GL_COLOR_BUFFER_BIT);
        const GLuint matrices = matricesBuffer(Binding::Matrices, projection, glm::mat4(1.0f));
        Vertices wall;
        wall.add(Quessel::AttributeLocation::Position, 3, {-10, -10, -2, 0, -10, -2, -10, 10, -2, 0, 10, -2});
        glUseProgram(programOf("depth"));
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glDeleteBuffers(1, &matrices);
    }

    Quessel::RgbImage composite(const glm::mat4& previousView, float fps) {
        RenderTarget output(width, height, GL_RGB8);
        std::vector<Rgba> rgba;
        for (size_t i = 0; i < picture.pixels.size(); i += 3)
            rgba.push_back({picture.pixels[i], picture.pixels[i + 1], picture.pixels[i + 2], 255});
        const GLuint color = makeTexture(width, height, rgba, true);
        glActiveTexture(GL_TEXTURE0 + Quessel::TextureUnit::DepthTarget);
        glBindTexture(GL_TEXTURE_2D, depthTarget.color);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, color);
        const GLuint buffers[2] = {matricesBuffer(Binding::Matrices, projection, glm::mat4(1.0f)),
                                   matricesBuffer(Binding::PreviousMatrices, projection, previousView)};
        const GLuint program = programOf("motionblur");
        glUseProgram(program);
        glUniform1f(glGetUniformLocation(program, "fps"), fps);
        Vertices quad;
        quad.add(glGetAttribLocation(program, "vpos"), 3, {-1, -1, 1, 1, -1, 1, -1, 1, -1, 1, 1, -1});
        quad.add(glGetAttribLocation(program, "tex"), 3, {0, 0, 1, 1, 0, 1, 0, 1, 0, 1, 1, 0});
        // The demo composites with blending on; the output must still be opaque.
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glDisable(GL_BLEND);
        glDeleteBuffers(2, buffers);
        glDeleteTextures(1, &color);
        return output.image();
    }

    // Pixels of the left (wall) or right (nothing drawn) half that differ from the picture.
    int changedPixels(const Quessel::RgbImage& result, bool left) const {
        int changed = 0;
        for (int i = 0; i < width * height; ++i) {
            bool differs = false;
            for (int c = 0; c < 3; ++c) differs = differs || result.pixels[i * 3 + c] != picture.pixels[i * 3 + c];
            changed += (i % width < width / 2) == left && differs;
        }
        return changed;
    }
};

TEST_F(DepthAndMotionBlurTest, DepthPassPacksWindowDepthIntoTwentyFourBits) {
    const Quessel::RgbImage depth = depthTarget.image();
    const glm::vec4 clip = projection * glm::vec4(0.0f, 0.0f, -2.0f, 1.0f);
    const double expected = (clip.z / clip.w * 0.5 + 0.5) * 16777215.0;
    for (int x : {0, width / 2 - 1}) {
        const unsigned char* rgb = &depth.pixels[(height / 2 * width + x) * 3];
        EXPECT_NEAR(double(rgb[0] << 16 | rgb[1] << 8 | rgb[2]), expected, 1.0) << x;
    }
    // Undrawn pixels keep the clear colour, whose red byte 0 the composite reads as far.
    EXPECT_EQ(depth.pixels[(height / 2 * width + width / 2) * 3], 0);
}

TEST_F(DepthAndMotionBlurTest, StillCameraCopiesThePictureExactly) {
    EXPECT_EQ(Quessel::ImageDifference::between(composite(glm::mat4(1.0f), 60.0f), picture).maximum, 0);
}

TEST_F(DepthAndMotionBlurTest, SidewaysMoveBlursNearPixelsOnly) {
    // The camera was 0.2 m to the left a frame ago: about 3 px of motion at 2 m here.
    const glm::mat4 previousView = glm::translate(glm::mat4(1.0f), glm::vec3(0.2f, 0.0f, 0.0f));
    const Quessel::RgbImage moved = composite(previousView, 60.0f);
    EXPECT_GT(changedPixels(moved, true), width * height / 4);
    // Where nothing was drawn counts as the far plane, which a small move leaves still.
    EXPECT_EQ(changedPixels(moved, false), 0);
    // At 6 fps a 1/60 s shutter sees a tenth of the frame's motion: under half a pixel.
    EXPECT_EQ(changedPixels(composite(previousView, 6.0f), true), 0);
}

}  // namespace
