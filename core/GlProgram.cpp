#include "core/GlProgram.h"

#include "core/Console.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace Quessel {

char* readShaderFile(const char* path) {
    if (!path) return nullptr;
    FILE* file = std::fopen(path, "rt");
    if (!file) return nullptr;
    // A directory opens on Linux and may even report a huge size at its end (ext4 says
    // LONG_MAX); only a read fails. Treat it like a missing file.
    const bool unreadable = std::fgetc(file) == EOF && std::ferror(file);
    long length = -1;
    if (!unreadable && std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
    std::rewind(file);
    if (length < 1) {
        std::fclose(file);
        return nullptr;
    }
    char* text = new char[static_cast<size_t>(length) + 1];
    // Text mode may deliver fewer bytes than the length; the text ends where reading did.
    const size_t count = std::fread(text, 1, static_cast<size_t>(length), file);
    text[count] = '\0';
    std::fclose(file);
    return text;
}

namespace {
using GetLength = void (*)(GLuint, GLenum, GLint*);
using GetLog = void (*)(GLuint, GLsizei, GLsizei*, GLchar*);

GLint logLength(GetLength getLength, GLuint object) {
    GLint length = 0;
    getLength(object, GL_INFO_LOG_LENGTH, &length);
    return length;
}

std::string fetchLog(GetLog getLog, GLuint object, GLint length) {
    if (length < 1) return std::string();
    std::string log(static_cast<size_t>(length), '\0');
    getLog(object, length, nullptr, &log[0]);
    log.resize(std::strlen(log.c_str()));
    return log;
}

// Length first: below 1 nothing is fetched or printed.
void printLog(GetLength getLength, GetLog getLog, GLuint object) {
    const GLint length = logLength(getLength, object);
    if (length >= 1) printConsole("%s\n", fetchLog(getLog, object, length).c_str());
}
}  // namespace

std::string shaderInfoLog(GLuint shader) {
    return fetchLog(glGetShaderInfoLog, shader, logLength(glGetShaderiv, shader));
}

std::string programInfoLog(GLuint program) {
    return fetchLog(glGetProgramInfoLog, program, logLength(glGetProgramiv, program));
}

void printShaderLog(GLuint shader) { printLog(glGetShaderiv, glGetShaderInfoLog, shader); }

void printProgramLog(GLuint program) { printLog(glGetProgramiv, glGetProgramInfoLog, program); }

GLuint GlProgram::compileSource(GLenum type, const std::string& source, const std::string& name, std::string& log) {
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == GL_TRUE) return shader;
    log = name + ": " + shaderInfoLog(shader);
    glDeleteShader(shader);
    return 0;
}

GLuint GlProgram::compileFile(GLenum type, const std::string& path, std::string& log) {
    const std::unique_ptr<char[]> text(readShaderFile(path.c_str()));
    if (!text) {
        log = path + ": cannot be read (missing, empty or not a file)";
        return 0;
    }
    return compileSource(type, text.get(), path, log);
}

bool GlProgram::link(GLuint program, const std::string& name, std::string& log) {
    glLinkProgram(program);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    log = programInfoLog(program);
    if (status != GL_TRUE) log = "linking \"" + name + "\": " + log;
    return status == GL_TRUE;
}

GLuint GlProgram::link(GLuint vertex, GLuint fragment, const std::string& name, std::string& log,
                       const Declarations& declare) {
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    if (declare) declare(program);
    if (!link(program, name, log)) {
        glDeleteProgram(program);
        program = 0;
    }
    return program;
}

namespace {
GLuint linkAndRelease(GLuint vertex, GLuint fragment, const std::string& name, std::string& log) {
    const GLuint program = vertex && fragment ? GlProgram::link(vertex, fragment, name, log) : 0;
    // Flagged for deletion, they go with the program (or now, without one).
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    return program;
}
}  // namespace

GLuint GlProgram::build(const std::string& vertexPath, const std::string& fragmentPath, std::string& log) {
    const GLuint vertex = compileFile(GL_VERTEX_SHADER, vertexPath, log);
    const GLuint fragment = vertex ? compileFile(GL_FRAGMENT_SHADER, fragmentPath, log) : 0;
    return linkAndRelease(vertex, fragment, vertexPath + " + " + fragmentPath, log);
}

GLuint GlProgram::buildSource(const std::string& vertex, const std::string& fragment, const std::string& name,
                              std::string& log) {
    const GLuint vertexShader = compileSource(GL_VERTEX_SHADER, vertex, name + " (vertex)", log);
    const GLuint fragmentShader =
        vertexShader ? compileSource(GL_FRAGMENT_SHADER, fragment, name + " (fragment)", log) : 0;
    return linkAndRelease(vertexShader, fragmentShader, name, log);
}

}  // namespace Quessel
