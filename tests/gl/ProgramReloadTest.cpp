// Reloading a registry program from its files in place (the study tool's F5): an edit
// takes effect in the same program object with its uniform values kept; a file that is
// missing, does not compile or does not link leaves the running program drawing as before.
#include "GlTestContext.h"

#include "scene/ProgramRelinker.h"
#include "scene/ShaderRegistry.h"

#include <glm/glm.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {
const char* const Tinted =
    "#version 430 core\nuniform vec3 tint;\nlayout(location = 0) out vec4 colour;\n"
    "void main() { colour = vec4(tint, 1.0); }\n";
const char* const Swizzled =
    "#version 430 core\nuniform vec3 tint;\nlayout(location = 0) out vec4 colour;\n"
    "void main() { colour = vec4(tint.zyx, 1.0); }\n";
const char* const Broken = "#version 430 core\nvoid main() { this is not GLSL }\n";
// Compiles, but reads an input the vertex shader does not write: the link fails.
const char* const Unlinkable =
    "#version 430 core\nin vec3 missing;\nlayout(location = 0) out vec4 colour;\n"
    "void main() { colour = vec4(missing, 1.0); }\n";

// The program's colour, drawn over a 1 x 1 target.
glm::vec3 drawn(GLuint program) {
    GLuint texture = 0, framebuffer = 0, vertexArray = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexStorage2D(GL_TEXTURE_2D, 1, GL_RGBA8, 1, 1);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glViewport(0, 0, 1, 1);
    glUseProgram(program);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    unsigned char texel[4] = {0, 0, 0, 0};
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &texture);
    return glm::vec3(texel[0], texel[1], texel[2]);
}
}  // namespace

TEST(ProgramReload, EditsTakeEffectInPlaceAndFailuresKeepTheRunningProgram) {
    char pattern[] = "/tmp/quessel-reload-XXXXXX";
    const std::string folder = mkdtemp(pattern);
    // The registry keeps the paths it is given: they must outlive it.
    static const std::string vertex = folder + "/reload.vert", fragment = folder + "/reload.frag";
    std::ofstream(vertex) << "#version 430 core\nvoid main() { gl_Position = vec4(vec2(gl_VertexID & 1, "
                             "gl_VertexID >> 1) * 4.0 - 1.0, 0.0, 1.0); }\n";
    std::ofstream(fragment) << Tinted;
    Quessel::ShaderProgram& record =
        Quessel::ShaderRegistry::instance().add("reload", vertex.c_str(), fragment.c_str());
    Quessel::Test::clearGlErrors();  // the builder binds blocks the program lacks
    const GLuint program = record.program;
    glUseProgram(program);
    glUniform3f(glGetUniformLocation(program, "tint"), 1.0f, 0.5f, 0.0f);
    const glm::vec3 tinted(255, 128, 0), swizzled(0, 128, 255);
    ASSERT_EQ(drawn(program), tinted);

    const struct {
        const char* name;
        const char* source;  // nullptr: the file is gone
        bool reloads;
        const char* logHas;
        glm::vec3 colour;
    } cases[] = {
        {"an edit", Swizzled, true, "", swizzled},
        {"a syntax error", Broken, false, "reload.frag", swizzled},
        {"a link error", Unlinkable, false, "linking", swizzled},
        {"a missing file", nullptr, false, "cannot be read", swizzled},
        {"the edit undone", Tinted, true, "", tinted},
    };
    for (const auto& c : cases) {
        if (c.source)
            std::ofstream(fragment) << c.source;
        else
            std::remove(fragment.c_str());
        std::string log;
        EXPECT_EQ(Quessel::ProgramRelinker::reload(record, log), c.reloads) << c.name << ": " << log;
        EXPECT_NE(log.find(c.logHas), std::string::npos) << c.name << ": " << log;
        EXPECT_EQ(record.program, program) << c.name;
        EXPECT_EQ(drawn(program), c.colour) << c.name;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << c.name;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glUseProgram(0);
    std::filesystem::remove_all(folder);
}
