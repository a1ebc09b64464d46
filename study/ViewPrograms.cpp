#include "study/ViewPrograms.h"

#include "scene/ProgramRelinker.h"
#include "scene/ShaderProgram.h"

namespace Quessel::Study {

GLuint ViewPrograms::link(const char* vertex, const char* fragment, std::string& log) {
    const std::string folder = Folder;
    const GLuint vertexShader = ProgramRelinker::compile(GL_VERTEX_SHADER, folder + vertex, log);
    if (!vertexShader) return 0;
    const GLuint fragmentShader = ProgramRelinker::compile(GL_FRAGMENT_SHADER, folder + fragment, log);
    if (!fragmentShader) {
        glDeleteShader(vertexShader);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glLinkProgram(program);
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        log = folder + vertex + " + " + fragment + ": " + programInfoLog(program);
        glDeleteProgram(program);
        program = 0;
    }
    return program;
}

bool ViewPrograms::build(std::string& log) {
    color = link("view.vert", "color.frag", log);
    depth = color ? link("view.vert", "depth.frag", log) : 0;
    cube = depth ? link("view.vert", "cube.frag", log) : 0;
    text = cube ? link("text.vert", "text.frag", log) : 0;
    return text != 0;
}

}  // namespace Quessel::Study
