#include "scene/ProgramRelinker.h"

#include "scene/ShaderProgram.h"
#include "scene/UniformSnapshot.h"

#include <cstring>
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

GLuint ProgramRelinker::compile(GLenum type, const std::string& path, std::string& log) {
    char* text = readShaderFile(path.c_str());
    if (!text) {
        log = path + ": cannot be read (missing, empty or not a file)";
        return 0;
    }
    const GLuint shader = glCreateShader(type);
    const char* source = text;
    glShaderSource(shader, 1, &source, nullptr);
    delete[] text;
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != GL_TRUE) {
        log = path + ": " + shaderInfoLog(shader);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

void ProgramRelinker::prepare(GLuint program, const ShaderProgram& record, GLuint vertex, GLuint fragment) {
    const auto placed = linkedAttributes(record.program);
    detachAll(program);
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glBindFragDataLocation(program, 0, "output");
    glBindAttribLocation(program, static_cast<GLuint>(record.positionLocation), "position");
    glBindAttribLocation(program, static_cast<GLuint>(record.normalLocation), "normal");
    glBindAttribLocation(program, static_cast<GLuint>(record.texCoordLocation), "texCoord");
    glBindAttribLocation(program, static_cast<GLuint>(record.tangentLocation), "tangent");
    glBindAttribLocation(program, static_cast<GLuint>(record.bitangentLocation), "bitangent");
    for (const auto& attribute : placed)
        glBindAttribLocation(program, static_cast<GLuint>(attribute.second), attribute.first.c_str());
    if (std::strcmp(record.name, "particle") == 0) {
        static const char* const varyings[] = {"Position", "Velocity", "StartTime"};
        glTransformFeedbackVaryings(program, 3, varyings, GL_SEPARATE_ATTRIBS);
    }
}

bool ProgramRelinker::link(GLuint program, const ShaderProgram& record, std::string& log) {
    glLinkProgram(program);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    log = programInfoLog(program);
    if (status != GL_TRUE) log = std::string("linking \"") + record.name + "\": " + log;
    return status == GL_TRUE;
}

bool ProgramRelinker::relink(ShaderProgram& record, GLuint vertex, GLuint fragment, const UniformSnapshot& values,
                             std::string& log) {
    const GLuint program = record.program;
    prepare(program, record, vertex, fragment);
    if (!link(program, record, log)) return false;

    // Scene drawing sets these every draw: a location of the other link would be an error.
    record.texLocation = glGetUniformLocation(program, "tex");
    record.nmTexLocation = glGetUniformLocation(program, "nmTex");
    const std::pair<const char*, GLint> blocks[] = {
        {"Matrices", record.matricesBinding}, {"PreviousMatrices", record.previousMatricesBinding},
        {"Material", record.materialBinding}, {"PointLight", record.pointLightBinding},
        {"Sphere", record.sphereBinding},
    };
    // Unlike the builder, skip blocks a program lacks: a relink raises no GL error.
    for (const auto& block : blocks) {
        const GLuint index = glGetUniformBlockIndex(program, block.first);
        if (index != GL_INVALID_INDEX) glUniformBlockBinding(program, index, static_cast<GLuint>(block.second));
    }
    values.restore(program);
    return true;
}

bool ProgramRelinker::reload(ShaderProgram& record, std::string& log) {
    const GLuint vertex = compile(GL_VERTEX_SHADER, record.vertexPath, log);
    if (!vertex) return false;
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, record.fragmentPath, log);
    if (!fragment) {
        glDeleteShader(vertex);
        return false;
    }
    // A failed link would leave the running program unusable: try the link apart first.
    const GLuint trial = glCreateProgram();
    prepare(trial, record, vertex, fragment);
    const bool linked = link(trial, record, log);
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
