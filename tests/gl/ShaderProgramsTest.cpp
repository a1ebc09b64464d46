// The nine shader programs built from the files in bin/Shader: clean builds, the
// interface the C++ side relies on, and what the particle, depth and motion-blur
// shaders compute.
#include "GlTestContext.h"

#include "core/GlConstants.h"
#include "scene/ShaderRegistry.h"

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace Binding = Quessel::BlockBinding;
namespace Size = Quessel::BlockSize;

const char* const programNames[] = {"test",   "depth",    "motionblur", "cubemap", "skybox",
                                    "render", "particle", "reflect",    "refract"};

const Quessel::ShaderProgram& record(const std::string& name) {
    // The registry keeps the first record of a name: only the first call builds.
    Quessel::ShaderRegistry::instance().buildStandardPrograms();
    // Building binds the blocks a program lacks and leaves GL_INVALID_VALUE behind.
    Quessel::Test::clearGlErrors();
    return Quessel::ShaderRegistry::instance().get(name);
}

GLuint programOf(const std::string& name) { return record(name).program; }

std::string infoLog(GLuint object) {
    const bool program = glIsProgram(object);
    GLint length = 0;
    (program ? glGetProgramiv : glGetShaderiv)(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(std::max(length, 1), '\0');
    (program ? glGetProgramInfoLog : glGetShaderInfoLog)(object, length, nullptr, &log[0]);
    return length > 1 ? log : std::string();
}

GLuint matricesBuffer(GLuint binding, const glm::mat4& projection, const glm::mat4& view) {
    const glm::mat4 block[3] = {projection, view, glm::mat4(1.0f)};
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    glBufferData(GL_UNIFORM_BUFFER, Size::Matrices, block, GL_DYNAMIC_DRAW);
    glBindBufferRange(GL_UNIFORM_BUFFER, binding, buffer, 0, Size::Matrices);
    return buffer;
}

// One vertex array whose attributes each read a float buffer of their own.
struct Vertices {
    GLuint vertexArray = 0;
    std::vector<GLuint> buffers;

    Vertices() {
        glGenVertexArrays(1, &vertexArray);
        glBindVertexArray(vertexArray);
    }
    ~Vertices() {
        glDeleteBuffers(GLsizei(buffers.size()), buffers.data());
        glDeleteVertexArrays(1, &vertexArray);
    }
    void add(GLint location, GLint components, const std::vector<float>& data) {
        buffers.push_back(0);
        glGenBuffers(1, &buffers.back());
        glBindBuffer(GL_ARRAY_BUFFER, buffers.back());
        glBufferData(GL_ARRAY_BUFFER, data.size() * sizeof(float), data.data(), GL_STATIC_DRAW);
        glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(location);
    }
};

// An RGB8 colour texture like the demo's off-screen targets, with its framebuffer.
struct Target {
    GLuint framebuffer = 0;
    GLuint texture = 0;
    GLsizei width, height;

    Target(GLsizei w, GLsizei h, const std::vector<uint8_t>& rgb = {}) : width(w), height(h) {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.empty() ? nullptr : rgb.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
        glViewport(0, 0, w, h);
    }
    ~Target() {
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &texture);
    }
    std::vector<uint8_t> read() const {
        std::vector<uint8_t> rgb(size_t(width) * height * 3);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }
};

class ShaderProgramsTest : public Quessel::Test::GlTest {};

TEST_F(ShaderProgramsTest, AllNineCompileAndLinkWithoutMessages) {
    for (const char* name : programNames) {
        SCOPED_TRACE(name);
        const Quessel::ShaderProgram& built = record(name);
        for (GLuint shader : {built.vertexShader, built.fragmentShader}) {
            GLint compiled = GL_FALSE;
            glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
            EXPECT_EQ(compiled, GL_TRUE);
            EXPECT_EQ(infoLog(shader), "");
        }
        GLint linked = GL_FALSE;
        glGetProgramiv(built.program, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE);
        EXPECT_EQ(infoLog(built.program), "");
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

TEST_F(ShaderProgramsTest, NamesTheHostLooksUpAreActive) {
    const std::map<std::string, std::vector<const char*>> uniforms = {
        {"test", {"cameraPosition", "cameraDirection", "tex", "nmTex"}},
        {"motionblur", {"fps", "colorBuffer", "depthBuffer"}},
        {"particle", {"Accel", "ParticleLifetime", "Time", "H", "CameraPosition", "ParticleTex"}}};
    for (const auto& entry : uniforms) {
        for (const char* name : entry.second)
            EXPECT_NE(glGetUniformLocation(programOf(entry.first), name), -1) << entry.first << " " << name;
    }
    for (const char* name : {"vpos", "tex"}) EXPECT_NE(glGetAttribLocation(programOf("motionblur"), name), -1) << name;
    const std::pair<const char*, GLint> sceneInputs[] = {
        {"position", 0}, {"normal", 1}, {"texCoord", 2}, {"tangent", 5}, {"bitangent", 6}};
    for (const auto& input : sceneInputs) EXPECT_EQ(glGetAttribLocation(programOf("test"), input.first), input.second);
}

TEST_F(ShaderProgramsTest, ParticleProgramOffersBothPassesAndSeparateFeedback) {
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
}

TEST_F(ShaderProgramsTest, ParticleUpdateWaitsMovesAndRestarts) {
    const GLuint program = programOf("particle");
    glUseProgram(program);
    // At Time 12 with step 0.5: unborn, two seconds old, born 0.1 s ago, past its life.
    Vertices particles;
    particles.add(0, 3, {1, 2, 3, 1, 2, 3, 1, 2, 3, 9, 9, 9});
    particles.add(1, 3, {0.2f, 0, 0, 0.2f, 0, 0, 0.2f, 0, 0, 0.2f, 0, 0});
    particles.add(2, 1, {13.0f, 10.0f, 11.9f, 1.0f});
    particles.add(3, 3, std::vector<float>(4 * 3, 0.05f));
    particles.add(4, 3, std::vector<float>(4 * 3, -4.0f));
    const GLint components[3] = {3, 3, 1};
    GLuint outputs[3] = {};
    glGenBuffers(3, outputs);
    for (GLuint i = 0; i < 3; ++i) {
        glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, outputs[i]);
        glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, 4 * components[i] * sizeof(float), nullptr, GL_DYNAMIC_COPY);
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, i, outputs[i]);
    }
    const GLuint update = glGetSubroutineIndex(program, GL_VERTEX_SHADER, "update");
    glUniformSubroutinesuiv(GL_VERTEX_SHADER, 1, &update);
    glUniform3f(glGetUniformLocation(program, "Accel"), 0.0f, 0.1f, 0.0f);
    glUniform1f(glGetUniformLocation(program, "ParticleLifetime"), 10.0f);
    glUniform1f(glGetUniformLocation(program, "Time"), 12.0f);
    glUniform1f(glGetUniformLocation(program, "H"), 0.5f);
    glEnable(GL_RASTERIZER_DISCARD);
    glBeginTransformFeedback(GL_POINTS);
    glDrawArrays(GL_POINTS, 0, 4);
    glEndTransformFeedback();
    glDisable(GL_RASTERIZER_DISCARD);
    ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // Semi-implicit Euler: the new velocity moves the particle; a newborn moves for its age only.
    const std::vector<float> expected[3] = {{1, 2, 3, 1.1f, 2.025f, 3, 1.02f, 2.001f, 3, -4, -4, -4},
                                            {0.2f, 0, 0, 0.2f, 0.05f, 0, 0.2f, 0.01f, 0, 0.05f, 0.05f, 0.05f},
                                            {13.0f, 10.0f, 11.9f, 12.0f}};
    for (GLuint i = 0; i < 3; ++i) {
        std::vector<float> result(expected[i].size());
        glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, outputs[i]);
        glGetBufferSubData(GL_TRANSFORM_FEEDBACK_BUFFER, 0, result.size() * sizeof(float), result.data());
        for (size_t k = 0; k < result.size(); ++k) EXPECT_NEAR(result[k], expected[i][k], 1e-5f) << i << " " << k;
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, i, 0);
    }
    glDeleteBuffers(3, outputs);
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
        glAttachShader(probe, record("particle").vertexShader);
        const char* outputs[3] = {"gl_PointSize", "opacity", "ageFraction"};
        glTransformFeedbackVaryings(probe, 3, outputs, GL_INTERLEAVED_ATTRIBS);
        glLinkProgram(probe);
        GLint linked = GL_FALSE;
        glGetProgramiv(probe, GL_LINK_STATUS, &linked);
        ASSERT_EQ(linked, GL_TRUE) << infoLog(probe);
    }
    void TearDown() override {
        glDeleteProgram(probe);
        ShaderProgramsTest::TearDown();
    }

    // Particles at the given eye-space positions with the given start times, seen at `time`
    // by the demo's projection from the origin.
    std::vector<Sprite> render(float time, const std::vector<glm::vec3>& positions, const std::vector<float>& starts) {
        const glm::mat4 projection = glm::perspective(2.0f * 0.5236f, 1280.0f / 768.0f, 0.1f, 10000.0f);
        const GLuint matrices = matricesBuffer(Binding::Matrices, projection, glm::mat4(1.0f));
        const size_t count = positions.size();
        std::vector<float> xyz;
        for (const glm::vec3& p : positions) xyz.insert(xyz.end(), {p.x, p.y, p.z});
        Vertices particles;
        particles.add(0, 3, xyz);
        particles.add(1, 3, std::vector<float>(count * 3, 0.0f));
        particles.add(2, 1, starts);
        std::vector<float> straightUp;
        for (size_t i = 0; i < count; ++i) straightUp.insert(straightUp.end(), {0.0f, 0.05f, 0.0f});
        particles.add(3, 3, straightUp);
        particles.add(4, 3, xyz);
        GLuint output = 0;
        glGenBuffers(1, &output);
        glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, output);
        glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, count * sizeof(Sprite), nullptr, GL_DYNAMIC_COPY);
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, output);

        glUseProgram(probe);
        const GLuint renderPass = glGetSubroutineIndex(probe, GL_VERTEX_SHADER, "render");
        glUniformSubroutinesuiv(GL_VERTEX_SHADER, 1, &renderPass);
        glUniform1f(glGetUniformLocation(probe, "ParticleLifetime"), 10.0f);
        glUniform1f(glGetUniformLocation(probe, "Time"), time);
        glUniform3f(glGetUniformLocation(probe, "CameraPosition"), 0.0f, 0.0f, 0.0f);
        glEnable(GL_RASTERIZER_DISCARD);
        glBeginTransformFeedback(GL_POINTS);
        glDrawArrays(GL_POINTS, 0, GLsizei(count));
        glEndTransformFeedback();
        glDisable(GL_RASTERIZER_DISCARD);

        std::vector<Sprite> sprites(count);
        glGetBufferSubData(GL_TRANSFORM_FEEDBACK_BUFFER, 0, count * sizeof(Sprite), sprites.data());
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
        glDeleteBuffers(1, &output);
        glDeleteBuffers(1, &matrices);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
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
    static constexpr GLsizei width = 64;
    static constexpr GLsizei height = 32;
    const glm::mat4 projection = glm::perspective(2.0f * 0.5236f, float(width) / height, 0.1f, 10000.0f);
    Target depthTarget{width, height};
    std::vector<uint8_t> picture = std::vector<uint8_t>(width * height * 3);

    void SetUp() override {
        ShaderProgramsTest::SetUp();
        uint32_t seed = 12345u;
        for (uint8_t& value : picture) value = uint8_t((seed = seed * 1664525u + 1013904223u) >> 24);
        glBindFramebuffer(GL_FRAMEBUFFER, depthTarget.framebuffer);
        glViewport(0, 0, width, height);
        glClearColor(0.0f, 0.8f, 0.9f, 0.5f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        const GLuint matrices = matricesBuffer(Binding::Matrices, projection, glm::mat4(1.0f));
        Vertices wall;
        wall.add(Quessel::AttributeLocation::Position, 3, {-10, -10, -2, 0, -10, -2, -10, 10, -2, 0, 10, -2});
        glUseProgram(programOf("depth"));
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glDeleteBuffers(1, &matrices);
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    std::vector<uint8_t> composite(const glm::mat4& previousView, float fps) {
        Target output(width, height);
        Target color(width, height, picture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glGenerateMipmap(GL_TEXTURE_2D);
        glActiveTexture(GL_TEXTURE0 + Quessel::TextureUnit::DepthTarget);
        glBindTexture(GL_TEXTURE_2D, depthTarget.texture);
        glActiveTexture(GL_TEXTURE0);
        glBindFramebuffer(GL_FRAMEBUFFER, output.framebuffer);
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
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        glDeleteBuffers(2, buffers);
        return output.read();
    }

    // Pixels of the left (wall) or right (nothing drawn) half that differ from the picture.
    int changedPixels(const std::vector<uint8_t>& result, bool left) const {
        int changed = 0;
        for (GLsizei i = 0; i < width * height; ++i) {
            const bool differs = result[i * 3] != picture[i * 3] || result[i * 3 + 1] != picture[i * 3 + 1] ||
                                 result[i * 3 + 2] != picture[i * 3 + 2];
            if ((i % width < width / 2) == left && differs) ++changed;
        }
        return changed;
    }
};

TEST_F(DepthAndMotionBlurTest, DepthPassPacksWindowDepthIntoTwentyFourBits) {
    const std::vector<uint8_t> depth = depthTarget.read();
    const glm::vec4 clip = projection * glm::vec4(0.0f, 0.0f, -2.0f, 1.0f);
    const double expected = (clip.z / clip.w * 0.5 + 0.5) * 16777215.0;
    for (GLsizei x : {0, width / 2 - 1}) {
        const uint8_t* rgb = &depth[(height / 2 * width + x) * 3];
        EXPECT_NEAR(double(rgb[0] << 16 | rgb[1] << 8 | rgb[2]), expected, 1.0) << x;
    }
    // Undrawn pixels keep the clear colour, whose red byte 0 the composite reads as far.
    EXPECT_EQ(depth[(height / 2 * width + width / 2) * 3], 0);
}

TEST_F(DepthAndMotionBlurTest, StillCameraCopiesThePictureExactly) {
    const std::vector<uint8_t> result = composite(glm::mat4(1.0f), 60.0f);
    EXPECT_EQ(changedPixels(result, true), 0);
    EXPECT_EQ(changedPixels(result, false), 0);
}

TEST_F(DepthAndMotionBlurTest, SidewaysMoveBlursNearPixelsOnly) {
    // The camera was 0.2 m to the left a frame ago: about 3 px of motion at 2 m here.
    const glm::mat4 previousView = glm::translate(glm::mat4(1.0f), glm::vec3(0.2f, 0.0f, 0.0f));
    EXPECT_GT(changedPixels(composite(previousView, 60.0f), true), width * height / 4);
    // Where nothing was drawn counts as the far plane, which a small move leaves still.
    EXPECT_EQ(changedPixels(composite(previousView, 60.0f), false), 0);
    // At 6 fps a 1/60 s shutter sees a tenth of the frame's motion: under half a pixel.
    EXPECT_EQ(changedPixels(composite(previousView, 6.0f), true), 0);
}

}  // namespace
