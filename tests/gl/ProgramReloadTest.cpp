// Reloading a registry program from its files in place (the study tool's F5): an edit
// takes effect in the same program object with its uniform values kept; a file that is
// missing, does not compile or does not link leaves the running program drawing as before.
#include "GlTestContext.h"

#include "scene/ProgramRelinker.h"
#include "scene/ShaderRegistry.h"

#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

const char* const Vertex = R"(#version 430 core
void main() { gl_Position = vec4(vec2(gl_VertexID & 1, gl_VertexID >> 1) * 4.0 - 1.0, 0.0, 1.0); }
)";
const char* const Tinted = R"(#version 430 core
uniform vec3 tint;
layout(location = 0) out vec4 fragColor;
void main() { fragColor = vec4(tint, 1.0); }
)";
const char* const Swizzled = R"(#version 430 core
uniform vec3 tint;
layout(location = 0) out vec4 fragColor;
void main() { fragColor = vec4(tint.zyx, 1.0); }
)";
const char* const Broken = "#version 430 core\nvoid main() { this is not GLSL }\n";
// Compiles, but reads an input the vertex shader does not write: the link fails.
const char* const Unlinkable = R"(#version 430 core
in vec3 missing;
layout(location = 0) out vec4 fragColor;
void main() { fragColor = vec4(missing, 1.0); }
)";

class ProgramReloadTest : public Quessel::Test::GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        char pattern[] = "/tmp/quessel-reload-XXXXXX";
        folder = mkdtemp(pattern);
        vertexPath = folder + "/reload.vert";
        fragmentPath = folder + "/reload.frag";
        write(vertexPath, Vertex);
        write(fragmentPath, Tinted);
        glGenTextures(1, &target);
        glBindTexture(GL_TEXTURE_2D, target);
        glTexStorage2D(GL_TEXTURE_2D, 1, GL_RGBA8, 2, 2);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
        glGenVertexArrays(1, &vertexArray);
    }
    void TearDown() override {
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &target);
        glDeleteVertexArrays(1, &vertexArray);
        std::remove(vertexPath.c_str());
        std::remove(fragmentPath.c_str());
        std::remove(folder.c_str());
        GlTest::TearDown();
    }
    static void write(const std::string& path, const char* text) { std::ofstream(path) << text; }

    glm::vec3 draw(GLuint program) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glViewport(0, 0, 2, 2);
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glUseProgram(program);
        glBindVertexArray(vertexArray);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        unsigned char texel[4] = {0, 0, 0, 0};
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        return glm::vec3(texel[0], texel[1], texel[2]);
    }

    std::string folder, vertexPath, fragmentPath;
    GLuint target = 0, framebuffer = 0, vertexArray = 0;
};

}  // namespace

TEST_F(ProgramReloadTest, EditsTakeEffectInPlaceAndFailuresKeepTheRunningProgram) {
    Quessel::ShaderProgram& record =
        Quessel::ShaderRegistry::instance().add("reload-test", vertexPath.c_str(), fragmentPath.c_str());
    Quessel::Test::clearGlErrors();  // the builder binds blocks the program lacks
    const GLuint program = record.program;
    glUseProgram(program);
    glUniform3f(glGetUniformLocation(program, "tint"), 1.0f, 0.5f, 0.0f);
    const glm::vec3 tinted(255, 128, 0), swizzled(0, 128, 255);
    ASSERT_EQ(draw(program), tinted);

    const struct {
        const char* name;
        const char* fragment;  // nullptr: the file is gone
        bool reloads;
        const char* logHas;
        glm::vec3 drawn;
    } cases[] = {
        {"an edit", Swizzled, true, "", swizzled},
        {"a syntax error", Broken, false, "reload.frag", swizzled},
        {"a link error", Unlinkable, false, "linking", swizzled},
        {"a missing file", nullptr, false, "cannot be read", swizzled},
        {"the edit undone", Tinted, true, "", tinted},
    };
    for (const auto& c : cases) {
        if (c.fragment)
            write(fragmentPath, c.fragment);
        else
            std::remove(fragmentPath.c_str());
        std::string log;
        EXPECT_EQ(Quessel::ProgramRelinker::reload(record, log), c.reloads) << c.name << ": " << log;
        EXPECT_NE(log.find(c.logHas), std::string::npos) << c.name << ": " << log;
        EXPECT_EQ(record.program, program) << c.name;
        EXPECT_EQ(draw(program), c.drawn) << c.name;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << c.name;
    }
}
