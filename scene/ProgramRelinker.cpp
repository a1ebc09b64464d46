#include "scene/ProgramRelinker.h"

#include "core/UniformSnapshot.h"
#include "scene/ShaderProgram.h"

#include <utility>
#include <vector>

namespace Quessel {

namespace {
// The attributes the program's last link placed, with their locations: those without a
// layout location (the composite's "vpos" and "tex") would otherwise move.
std::vector<std::pair<std::string, GLint>> linkedAttributes(GLuint program) {
    std::vector<std::pair<std::string, GLint>> attributes;
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) return attributes;
    GLint count = 0;
    GLint longest = 0;
    glGetProgramiv(program, GL_ACTIVE_ATTRIBUTES, &count);
    glGetProgramiv(program, GL_ACTIVE_ATTRIBUTE_MAX_LENGTH, &longest);
    std::vector<char> name(static_cast<size_t>(longest > 0 ? longest : 1) + 1);
    for (GLint index = 0; index < count; ++index) {
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(program, static_cast<GLuint>(index), static_cast<GLsizei>(name.size()), nullptr, &size, &type,
                          name.data());
        const GLint location = glGetAttribLocation(program, name.data());
        if (location >= 0) attributes.emplace_back(name.data(), location);
    }
    return attributes;
}

void detachAll(GLuint program) {
    GLuint attached[8] = {0};
    GLsizei count = 0;
    glGetAttachedShaders(program, 8, &count, attached);
    for (GLsizei i = 0; i < count; ++i) glDetachShader(program, attached[i]);
}
}  // namespace

void ProgramRelinker::prepare(GLuint program, const ShaderProgram& record, GLuint vertex, GLuint fragment) {
    const auto placed = linkedAttributes(record.program);
    detachAll(program);
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    ShaderProgram::declareBindings(program, record);
    for (const auto& attribute : placed)
        glBindAttribLocation(program, static_cast<GLuint>(attribute.second), attribute.first.c_str());
}

bool ProgramRelinker::relink(ShaderProgram& record, GLuint vertex, GLuint fragment, const UniformSnapshot& values,
                             std::string& log) {
    const GLuint program = record.program;
    prepare(program, record, vertex, fragment);
    ++record.links;
    if (!GlProgram::link(program, record.name, log)) return false;

    // Scene drawing sets these every draw: a location of the other link would be an error.
    record.texLocation = glGetUniformLocation(program, "tex");
    record.nmTexLocation = glGetUniformLocation(program, "nmTex");
    // Unlike the builder, skip blocks a program lacks: a relink raises no GL error.
    ShaderProgram::bindBlocks(program, record, false);
    values.restore(program);
    return true;
}

bool ProgramRelinker::reload(ShaderProgram& record, std::string& log) {
    const GLuint vertex = GlProgram::compileFile(GL_VERTEX_SHADER, record.vertexPath, log);
    if (!vertex) return false;
    const GLuint fragment = GlProgram::compileFile(GL_FRAGMENT_SHADER, record.fragmentPath, log);
    if (!fragment) {
        glDeleteShader(vertex);
        return false;
    }
    // A failed link would leave the running program unusable: try the link apart first.
    const GLuint trial = glCreateProgram();
    prepare(trial, record, vertex, fragment);
    const bool linked = GlProgram::link(trial, record.name, log);
    glDeleteProgram(trial);
    if (!linked || !relink(record, vertex, fragment, UniformSnapshot::of(record.program), log)) {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return false;
    }
    glDeleteShader(record.vertexShader);
    glDeleteShader(record.fragmentShader);
    record.vertexShader = vertex;
    record.fragmentShader = fragment;
    return true;
}

}  // namespace Quessel
