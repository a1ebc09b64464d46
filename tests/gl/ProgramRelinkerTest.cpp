// Relinking a program in place, on a small program whose link decides what a relink would
// lose: attribute locations without a layout, blocks without a layout binding, samplers and
// values set with glUniform. Each check draws a full-target triangle into a 4 x 4 target.
#include "GlTestContext.h"

#include "core/GlConstants.h"
#include "scene/ProgramRelinker.h"
#include "scene/ShaderProgram.h"
#include "scene/UniformSnapshot.h"

#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <array>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Quessel::ProgramRelinker;
using Quessel::UniformSnapshot;
using Colour = std::array<int, 3>;

// The demo side: every location, binding and sampler unit comes from the link or from
// glUniform, none from a layout qualifier.
const char* const DemoVertex = R"(#version 430 core
in vec3 vpos;
in vec2 offset;
layout(std140) uniform Matrices { mat4 projection; mat4 view; mat4 model; } matrices;
void main() { gl_Position = matrices.model * vec4(vpos.xy + offset, 0.0, 1.0); }
)";

const char* const DemoFragment = R"(#version 430 core
uniform vec3 tint;
uniform float weights[2];
uniform sampler2D tex;
layout(std140) uniform Material { vec4 diffuse; vec4 ambient; vec4 specular; vec4 emissive;
                                  float shininess; int hasTexture; } material;
layout(location = 0) out vec4 fragColor;
void main() {
    vec3 texel = texture(tex, vec2(0.5)).rgb;
    fragColor = vec4(TINT * texel * material.diffuse.rgb * (weights[0] + weights[1]), 1.0);
}
)";

// The cheap side: a four-slot input ahead of the quad's, so that a link left to itself
// would move them, and no "tex" at all.
const char* const CheapVertex = R"(#version 430 core
in mat4 extra;
in vec2 offset;
in vec3 vpos;
layout(std140) uniform Matrices { mat4 projection; mat4 view; mat4 model; } matrices;
void main() { gl_Position = matrices.model * vec4(vpos.xy + offset, extra[3].w - 1.0, 1.0); }
)";

const char* const CheapFragment = R"(#version 430 core
uniform vec3 tint;
layout(location = 0) out vec4 fragColor;
void main() { fragColor = vec4(tint.zyx, 1.0); }
)";

// "tint" as a float: the snapshot's vec3 must not be written to it.
const char* const MismatchedFragment = R"(#version 430 core
uniform float tint;
layout(location = 0) out vec4 fragColor;
void main() { fragColor = vec4(tint); }
)";

// Compiles, but reads an input no vertex shader writes: the link fails.
const char* const UnlinkableFragment = R"(#version 430 core
in vec3 missing;
layout(location = 0) out vec4 fragColor;
void main() { fragColor = vec4(missing, 1.0); }
)";

const char* const BrokenFragment = "#version 430 core\nvoid main() { this is not GLSL }\n";

constexpr int Size = 4;
const glm::vec3 Tint(0.5f, 1.0f, 0.25f);
constexpr GLint TextureUnit = 3;

Colour expected(const glm::vec3& colour) {
    return {int(colour.r * 255.0f + 0.5f), int(colour.g * 255.0f + 0.5f), int(colour.b * 255.0f + 0.5f)};
}

std::string demoFragment(const char* tint) {
    std::string text = DemoFragment;
    return text.replace(text.find("TINT"), 4, tint);
}

GLint blockBinding(GLuint program, const char* block) {
    const GLuint index = glGetUniformBlockIndex(program, block);
    GLint binding = -1;
    if (index != GL_INVALID_INDEX) glGetActiveUniformBlockiv(program, index, GL_UNIFORM_BLOCK_BINDING, &binding);
    return binding;
}

class ProgramRelinkerTest : public Quessel::Test::GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        char pattern[] = "/tmp/quessel-relink-XXXXXX";
        directory = mkdtemp(pattern);
        vertexPath = write("demo.vert", DemoVertex);
        fragmentPath = write("demo.frag", demoFragment("tint"));
        record = std::make_unique<Quessel::ShaderProgram>(vertexPath.c_str(), fragmentPath.c_str(), "relink-demo");
        program = record->program;
        // Building binds the blocks the program lacks and leaves GL_INVALID_VALUE behind.
        Quessel::Test::clearGlErrors();
        // The values a host sets once: they must survive every relink.
        glUseProgram(program);
        glUniform3fv(glGetUniformLocation(program, "tint"), 1, glm::value_ptr(Tint));
        glUniform1f(glGetUniformLocation(program, "weights[0]"), 0.25f);
        glUniform1f(glGetUniformLocation(program, "weights[1]"), 0.75f);
        glUniform1i(glGetUniformLocation(program, "tex"), TextureUnit);
        vpos = glGetAttribLocation(program, "vpos");
        offset = glGetAttribLocation(program, "offset");
        buildTargets();
        buildInputs();
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        demoColour = draw();
        ASSERT_EQ(demoColour, expected(Tint));
    }

    void TearDown() override {
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(GLsizei(textures.size()), textures.data());
        glDeleteVertexArrays(1, &vertexArray);
        glDeleteBuffers(GLsizei(buffers.size()), buffers.data());
        glDeleteProgram(program);
        std::system(("rm -rf " + directory).c_str());
        GlTest::TearDown();
    }

    std::string write(const std::string& name, const std::string& text) {
        const std::string path = directory + "/" + name;
        std::ofstream(path) << text;
        return path;
    }

    GLuint compile(GLenum type, const char* name, const std::string& text) {
        std::string log;
        const GLuint shader = ProgramRelinker::compile(type, write(name, text), log);
        EXPECT_NE(shader, 0u) << log;
        return shader;
    }

    GLuint newTexture() {
        textures.push_back(0);
        glGenTextures(1, &textures.back());
        return textures.back();
    }

    // The target, and a white texel on the unit "tex" samples.
    void buildTargets() {
        glBindTexture(GL_TEXTURE_2D, newTexture());
        glTexStorage2D(GL_TEXTURE_2D, 1, GL_RGBA8, Size, Size);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, textures.back(), 0);
        const unsigned char white[4] = {255, 255, 255, 255};
        glActiveTexture(GL_TEXTURE0 + TextureUnit);
        glBindTexture(GL_TEXTURE_2D, newTexture());
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glActiveTexture(GL_TEXTURE0);
    }

    GLuint newBuffer(GLenum target, GLsizeiptr bytes, const void* data) {
        buffers.push_back(0);
        glGenBuffers(1, &buffers.back());
        glBindBuffer(target, buffers.back());
        glBufferData(target, bytes, data, GL_STATIC_DRAW);
        return buffers.back();
    }

    // The quad's vertex array is built once with the demo link's locations, as the
    // composite's is; identity matrices and a white material.
    void buildInputs() {
        const float corners[9] = {-1, -1, 0, 3, -1, 0, -1, 3, 0};
        const float offsets[6] = {0, 0, 0, 0, 0, 0};
        glGenVertexArrays(1, &vertexArray);
        glBindVertexArray(vertexArray);
        for (const auto& [location, components, data, bytes] : {std::make_tuple(vpos, 3, corners, sizeof(corners)),
                                                                std::make_tuple(offset, 2, offsets, sizeof(offsets))}) {
            newBuffer(GL_ARRAY_BUFFER, GLsizeiptr(bytes), data);
            glVertexAttribPointer(GLuint(location), components, GL_FLOAT, GL_FALSE, 0, nullptr);
            glEnableVertexAttribArray(GLuint(location));
        }
        glBindVertexArray(0);
        const glm::mat4 matrices[3] = {glm::mat4(1.0f), glm::mat4(1.0f), glm::mat4(1.0f)};
        std::array<float, 18> material{};
        material.fill(1.0f);
        glBindBufferBase(GL_UNIFORM_BUFFER, Quessel::BlockBinding::Matrices,
                         newBuffer(GL_UNIFORM_BUFFER, sizeof(matrices), matrices));
        glBindBufferBase(GL_UNIFORM_BUFFER, Quessel::BlockBinding::Material,
                         newBuffer(GL_UNIFORM_BUFFER, sizeof(material), material.data()));
    }

    // Draws as scene drawing does (the sampler's unit set through the record's location)
    // and returns the centre texel; a GL error fails the test.
    Colour draw() {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glViewport(0, 0, Size, Size);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glUseProgram(program);
        glUniform1i(record->texLocation, TextureUnit);
        glBindVertexArray(vertexArray);
        glDrawArrays(GL_TRIANGLES, 0, 3);
        glBindVertexArray(0);
        unsigned char texel[4] = {0, 0, 0, 0};
        glReadPixels(Size / 2, Size / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        return {texel[0], texel[1], texel[2]};
    }

    // What a relink must leave as the demo's link had it, whichever shaders are in.
    void expectInterfaceKept() {
        EXPECT_EQ(record->program, program);
        EXPECT_EQ(glGetAttribLocation(program, "vpos"), vpos);
        EXPECT_EQ(glGetAttribLocation(program, "offset"), offset);
        EXPECT_EQ(blockBinding(program, "Matrices"), record->matricesBinding);
        EXPECT_EQ(record->texLocation, glGetUniformLocation(program, "tex"));
        EXPECT_EQ(record->nmTexLocation, glGetUniformLocation(program, "nmTex"));
        glm::vec3 tint(0.0f);
        glGetUniformfv(program, glGetUniformLocation(program, "tint"), glm::value_ptr(tint));
        EXPECT_EQ(tint, Tint);
    }

    // The demo's own shaders again, with `values`; everything as before the first relink.
    void relinkBack(const UniformSnapshot& values) {
        std::string log;
        ASSERT_TRUE(ProgramRelinker::relink(*record, record->vertexShader, record->fragmentShader, values, log)) << log;
        expectInterfaceKept();
        EXPECT_EQ(blockBinding(program, "Material"), record->materialBinding);
        GLint unit = -1;
        glGetUniformiv(program, glGetUniformLocation(program, "tex"), &unit);
        EXPECT_EQ(unit, TextureUnit);
        float weight = 0.0f;
        glGetUniformfv(program, glGetUniformLocation(program, "weights[1]"), &weight);
        EXPECT_EQ(weight, 0.75f);
        EXPECT_EQ(draw(), demoColour);
    }

    std::string directory;
    std::string vertexPath;
    std::string fragmentPath;
    std::unique_ptr<Quessel::ShaderProgram> record;
    GLuint program = 0;
    GLint vpos = -1;
    GLint offset = -1;
    Colour demoColour{};
    GLuint framebuffer = 0;
    GLuint vertexArray = 0;
    std::vector<GLuint> textures;
    std::vector<GLuint> buffers;
};

TEST_F(ProgramRelinkerTest, RelinksTheSameProgramBothWaysKeepingWhatTheHostSetOnce) {
    const UniformSnapshot values = UniformSnapshot::of(program);
    const GLuint vertex = compile(GL_VERTEX_SHADER, "cheap.vert", CheapVertex);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, "cheap.frag", CheapFragment);
    // A second round trip finds everything as the first did.
    for (int round = 0; round < 2; ++round) {
        std::string log;
        ASSERT_TRUE(ProgramRelinker::relink(*record, vertex, fragment, values, log)) << log;
        EXPECT_EQ(record->texLocation, -1);
        expectInterfaceKept();
        EXPECT_EQ(draw(), expected(glm::vec3(Tint.z, Tint.y, Tint.x)));
        relinkBack(values);
    }
}

TEST_F(ProgramRelinkerTest, FailedLinkSaysWhichProgramAndRelinkingBackRestoresIt) {
    const UniformSnapshot values = UniformSnapshot::of(program);
    std::string log;
    EXPECT_FALSE(ProgramRelinker::relink(*record, compile(GL_VERTEX_SHADER, "cheap.vert", CheapVertex),
                                         compile(GL_FRAGMENT_SHADER, "bad.frag", UnlinkableFragment), values, log));
    EXPECT_NE(log.find("relink-demo"), std::string::npos) << log;
    Quessel::Test::clearGlErrors();
    relinkBack(values);
}

TEST_F(ProgramRelinkerTest, SnapshotWritesOnlyUniformsOfTheSameNameAndType) {
    const UniformSnapshot values = UniformSnapshot::of(program);
    EXPECT_EQ(values.size(), 4u);  // tint, weights[0], weights[1], tex
    glUniform3f(glGetUniformLocation(program, "tint"), 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(values.restore(program), 4);
    expectInterfaceKept();

    const GLuint vertex = compile(GL_VERTEX_SHADER, "cheap.vert", CheapVertex);
    // The cheap program has only "tint"; the mismatched one has it as a float.
    for (const auto& [fragment, written] : {std::make_pair(CheapFragment, 1), std::make_pair(MismatchedFragment, 0)}) {
        std::string log;
        ASSERT_TRUE(
            ProgramRelinker::relink(*record, vertex, compile(GL_FRAGMENT_SHADER, "f.frag", fragment), values, log));
        EXPECT_EQ(values.restore(program), written) << fragment;
        relinkBack(values);
    }
}

TEST_F(ProgramRelinkerTest, ReloadTakesAGoodEditAndKeepsTheRunningProgramOtherwise) {
    struct Case {
        const char* what;
        std::string fragment;
        bool taken;
        Colour drawn;
        std::string logHas;
    };
    const Case cases[] = {
        {"missing file", "", false, demoColour, fragmentPath},
        {"does not compile", BrokenFragment, false, demoColour, fragmentPath},
        {"does not link", UnlinkableFragment, false, demoColour, "linking \"relink-demo\""},
        {"good edit", demoFragment("tint.yzx"), true, expected(glm::vec3(Tint.y, Tint.z, Tint.x)), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const GLuint before = record->fragmentShader;
        write("demo.frag", c.fragment);
        std::string log;
        EXPECT_EQ(ProgramRelinker::reload(*record, log), c.taken) << log;
        EXPECT_NE(log.find(c.logHas), std::string::npos) << log;
        EXPECT_EQ(record->fragmentShader != before, c.taken);
        EXPECT_EQ(draw(), c.drawn);
        expectInterfaceKept();
    }
}

TEST_F(ProgramRelinkerTest, CompileNamesTheFileItCannotUse) {
    for (const char* text : {"", BrokenFragment}) {
        const std::string path = write("cheap.frag", text);
        std::string log;
        EXPECT_EQ(ProgramRelinker::compile(GL_FRAGMENT_SHADER, path, log), 0u);
        EXPECT_EQ(log.rfind(path, 0), 0u) << log;
    }
}

}  // namespace
