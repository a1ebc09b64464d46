// Relinking a program in place, on a small program whose link decides what a relink would
// lose: attribute locations without a layout, blocks without a layout binding, samplers and
// values set with glUniform. Each check draws a full-target triangle into a 1 x 1 target.
#include "ExpectGlErrors.h"
#include "GlTestContext.h"

#include "core/GlConstants.h"
#include "core/GlProgram.h"
#include "core/UniformSnapshot.h"
#include "scene/ProgramRelinker.h"
#include "scene/ShaderProgram.h"

#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <array>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace {

using Quessel::GlProgram;
using Quessel::ProgramRelinker;
using Quessel::UniformSnapshot;
using Colour = std::array<int, 3>;

// The demo side: every location, binding and sampler unit comes from the link or from
// glUniform, none from a layout qualifier. TINT is the colour's expression.
const char* const DemoVertex = R"(#version 430 core
in vec3 vpos;
layout(std140) uniform Matrices { mat4 projection; mat4 view; mat4 model; } matrices;
void main() { gl_Position = matrices.model * vec4(vpos.xy, 0.0, 1.0); }
)";
const char* const DemoFragment = R"(#version 430 core
uniform vec3 tint;
uniform float weights[2];
uniform sampler2D tex;
layout(std140) uniform Material { vec4 diffuse; } material;  // a block the cheap side lacks
layout(location = 0) out vec4 fragColor;
void main() { fragColor = vec4(TINT * texture(tex, vec2(0.5)).rgb * (weights[0] + weights[1]), 1); }
)";
// The cheap side: a four-slot input ahead of the quad's, so that a link left to itself
// would move them, and no "tex" at all.
const char* const CheapVertex = R"(#version 430 core
in mat4 extra;
in vec3 vpos;
layout(std140) uniform Matrices { mat4 projection; mat4 view; mat4 model; } matrices;
void main() { gl_Position = matrices.model * vec4(vpos.xy, extra[3].w - 1.0, 1.0); }
)";
const char* const CheapFragment =
    "#version 430 core\nuniform vec3 tint;\nout vec4 c;\nvoid main() { c = vec4(tint.zyx, 1.0); }\n";
// "tint" as a float: the snapshot's vec3 must not be written to it.
const char* const MismatchedFragment =
    "#version 430 core\nuniform float tint;\nout vec4 c;\nvoid main() { c = vec4(tint); }\n";
// Compiles, but reads an input no vertex shader writes: the link fails.
const char* const UnlinkableFragment =
    "#version 430 core\nin vec3 missing;\nout vec4 c;\nvoid main() { c = vec4(missing, 1.0); }\n";
const char* const BrokenFragment = "#version 430 core\nvoid main() { this is not GLSL }\n";

const glm::vec3 Tint(0.5f, 1.0f, 0.25f);
constexpr GLint TextureUnit = 3;

Colour rgb(float r, float g, float b) { return {int(r * 255 + 0.5f), int(g * 255 + 0.5f), int(b * 255 + 0.5f)}; }

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

GLuint buffer(GLenum target, GLsizeiptr bytes, const void* data) {
    GLuint name = 0;
    glGenBuffers(1, &name);
    glBindBuffer(target, name);
    glBufferData(target, bytes, data, GL_STATIC_DRAW);
    return name;
}

class ProgramRelinkerTest : public Quessel::Test::GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        char pattern[] = "/tmp/quessel-relink-XXXXXX";
        directory = mkdtemp(pattern);
        vertexPath = write("demo.vert", DemoVertex);
        fragmentPath = write("demo.frag", demoFragment("tint"));
        {
            // Building binds the blocks the program lacks: GL_INVALID_VALUE, on purpose.
            Quessel::Test::ExpectGlErrors blocks{GL_INVALID_VALUE};
            record = std::make_unique<Quessel::ShaderProgram>(vertexPath.c_str(), fragmentPath.c_str(), "relink-demo");
        }
        program = record->program;
        // The values a host sets once: they must survive every relink.
        glUseProgram(program);
        glUniform3fv(glGetUniformLocation(program, "tint"), 1, glm::value_ptr(Tint));
        glUniform1f(glGetUniformLocation(program, "weights[0]"), 0.25f);
        glUniform1f(glGetUniformLocation(program, "weights[1]"), 0.75f);
        glUniform1i(glGetUniformLocation(program, "tex"), TextureUnit);
        vpos = glGetAttribLocation(program, "vpos");

        // The target; a white texel where "tex" samples; the triangle's vertex array built once
        // with the demo link's location, as the composite's quad is; identity matrices.
        const unsigned char white[4] = {255, 255, 255, 255};
        glGenTextures(2, textures.data());
        for (const GLuint unit : {TextureUnit, 0}) {
            glActiveTexture(GL_TEXTURE0 + unit);
            glBindTexture(GL_TEXTURE_2D, textures[unit ? 1 : 0]);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        }
        glBindTexture(GL_TEXTURE_2D, 0);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, textures[0], 0);
        const float corners[6] = {-1, -1, 3, -1, -1, 3};
        glGenVertexArrays(1, &vertexArray);
        glBindVertexArray(vertexArray);
        buffers[0] = buffer(GL_ARRAY_BUFFER, sizeof(corners), corners);
        glVertexAttribPointer(GLuint(vpos), 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(GLuint(vpos));
        const glm::mat4 matrices[3] = {glm::mat4(1.0f), glm::mat4(1.0f), glm::mat4(1.0f)};
        buffers[1] = buffer(GL_UNIFORM_BUFFER, sizeof(matrices), matrices);
        glBindBufferBase(GL_UNIFORM_BUFFER, Quessel::BlockBinding::Matrices, buffers[1]);
        ASSERT_EQ(draw(), demoColour);
    }

    void TearDown() override {
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(2, textures.data());
        glDeleteVertexArrays(1, &vertexArray);
        glDeleteBuffers(2, buffers.data());
        glDeleteProgram(program);
        std::system(("rm -rf " + directory).c_str());
        GlTest::TearDown();
    }

    std::string write(const std::string& name, const std::string& text) {
        const std::string path = directory + "/" + name;
        std::ofstream(path) << text;
        return path;
    }

    GLuint compile(GLenum type, const std::string& text) {
        std::string log;
        const GLuint shader = GlProgram::compileFile(type, write("cheap", text), log);
        EXPECT_NE(shader, 0u) << log;
        return shader;
    }

    // Draws as scene drawing does, the sampler's unit set through the record's location;
    // a GL error fails the test.
    Colour draw() {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glViewport(0, 0, 1, 1);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glUseProgram(program);
        glUniform1i(record->texLocation, TextureUnit);
        glBindVertexArray(vertexArray);
        glDrawArrays(GL_TRIANGLES, 0, 3);
        unsigned char texel[4] = {0, 0, 0, 0};
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        return {texel[0], texel[1], texel[2]};
    }

    // What any relink must leave as the demo's link had it.
    void expectInterfaceKept() {
        EXPECT_EQ(record->program, program);
        EXPECT_EQ(glGetAttribLocation(program, "vpos"), vpos);
        EXPECT_EQ(blockBinding(program, "Matrices"), record->matricesBinding);
        EXPECT_EQ(record->texLocation, glGetUniformLocation(program, "tex"));
        EXPECT_EQ(record->nmTexLocation, glGetUniformLocation(program, "nmTex"));
        glm::vec3 tint(0.0f);
        glGetUniformfv(program, glGetUniformLocation(program, "tint"), glm::value_ptr(tint));
        EXPECT_EQ(tint, Tint);
    }

    // Back to the demo's own shaders with `values`: everything as before the first relink.
    void expectDemoBack(const UniformSnapshot& values) {
        std::string log;
        ASSERT_TRUE(ProgramRelinker::relink(*record, record->vertexShader, record->fragmentShader, values, log)) << log;
        expectInterfaceKept();
        EXPECT_EQ(blockBinding(program, "Material"), record->materialBinding);
        GLint unit = -1;
        glGetUniformiv(program, glGetUniformLocation(program, "tex"), &unit);
        EXPECT_EQ(unit, TextureUnit);
        EXPECT_EQ(draw(), demoColour);
    }

    const Colour demoColour = rgb(Tint.x, Tint.y, Tint.z);
    std::string directory, vertexPath, fragmentPath;
    std::unique_ptr<Quessel::ShaderProgram> record;
    GLuint program = 0, framebuffer = 0, vertexArray = 0;
    GLint vpos = -1;
    std::array<GLuint, 2> textures{};
    std::array<GLuint, 2> buffers{};
};

TEST_F(ProgramRelinkerTest, RelinksInPlaceAndBackKeepingWhatTheHostSetOnce) {
    const UniformSnapshot values = UniformSnapshot::of(program);
    EXPECT_EQ(values.restore(program), 4);  // tint, weights[0], weights[1], tex
    struct Case {
        const char* fragment;
        bool linked;
        Colour drawn;
        // Values of the snapshot the relinked program takes: the same name and type only.
        int restored;
    };
    // The cheap case twice: a second round trip finds everything as the first did.
    const Case cases[] = {{CheapFragment, true, rgb(Tint.z, Tint.y, Tint.x), 1},
                          {CheapFragment, true, rgb(Tint.z, Tint.y, Tint.x), 1},
                          {MismatchedFragment, true, {0, 0, 0}, 0},
                          {UnlinkableFragment, false, {}, 0}};
    const GLuint vertex = compile(GL_VERTEX_SHADER, CheapVertex);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fragment);
        std::string log;
        const GLuint fragment = compile(GL_FRAGMENT_SHADER, c.fragment);
        ASSERT_EQ(ProgramRelinker::relink(*record, vertex, fragment, values, log), c.linked) << log;
        if (c.linked) {
            EXPECT_EQ(record->texLocation, -1);
            EXPECT_EQ(values.restore(program), c.restored);
            EXPECT_EQ(draw(), c.drawn);
        } else {
            EXPECT_NE(log.find("relink-demo"), std::string::npos) << log;
        }
        expectDemoBack(values);
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
        {"good edit", demoFragment("tint.yzx"), true, rgb(Tint.y, Tint.z, Tint.x), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const GLuint before = record->fragmentShader;
        write("demo.frag", c.fragment);
        std::string log;
        {
            Quessel::Test::ExpectGlErrors broken{GL_DEBUG_SOURCE_SHADER_COMPILER};
            EXPECT_EQ(ProgramRelinker::reload(*record, log), c.taken) << log;
        }
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
        Quessel::Test::ExpectGlErrors broken{GL_DEBUG_SOURCE_SHADER_COMPILER};
        EXPECT_EQ(GlProgram::compileFile(GL_FRAGMENT_SHADER, path, log), 0u);
        EXPECT_EQ(log.rfind(path, 0), 0u) << log;
    }
}

}  // namespace
