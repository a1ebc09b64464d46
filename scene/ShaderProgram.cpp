#include "scene/ShaderProgram.h"

#include "core/Console.h"
#include "core/GlConstants.h"

#include <cstdio>
#include <cstring>
#include <string>

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

ShaderProgram::ShaderProgram(const char* vertexPath, const char* fragmentPath, const char* name)
    : name(name),
      vertexPath(vertexPath),
      fragmentPath(fragmentPath),
      positionLocation(AttributeLocation::Position),
      normalLocation(AttributeLocation::Normal),
      tangentLocation(AttributeLocation::Tangent),
      bitangentLocation(AttributeLocation::Bitangent),
      texCoordLocation(AttributeLocation::TexCoord),
      matricesBinding(BlockBinding::Matrices),
      previousMatricesBinding(BlockBinding::PreviousMatrices),
      materialBinding(BlockBinding::Material),
      pointLightBinding(BlockBinding::PointLight),
      sphereBinding(BlockBinding::Sphere) {
    build();
}

void ShaderProgram::build() {
    const GLuint vertex = glCreateShader(GL_VERTEX_SHADER);
    const GLuint fragment = glCreateShader(GL_FRAGMENT_SHADER);
    char* vertexText = readShaderFile(vertexPath);
    char* fragmentText = readShaderFile(fragmentPath);
    // A missing or empty file compiles as an empty source; the compile log then says so.
    const char* vertexSource = vertexText ? vertexText : "";
    const char* fragmentSource = fragmentText ? fragmentText : "";
    glShaderSource(vertex, 1, &vertexSource, nullptr);
    glShaderSource(fragment, 1, &fragmentSource, nullptr);
    delete[] vertexText;
    delete[] fragmentText;

    glCompileShader(vertex);
    glCompileShader(fragment);
    printShaderLog(vertex);
    printShaderLog(fragment);

    const GLuint linked = glCreateProgram();
    glAttachShader(linked, vertex);
    glAttachShader(linked, fragment);
    // "output" is a reserved word in GLSL, so no shader can declare it and this binds
    // nothing; every fragment shader fixes its colour at location 0 instead.
    glBindFragDataLocation(linked, 0, "output");
    glBindAttribLocation(linked, positionLocation, "position");
    glBindAttribLocation(linked, normalLocation, "normal");
    glBindAttribLocation(linked, texCoordLocation, "texCoord");
    glBindAttribLocation(linked, tangentLocation, "tangent");
    glBindAttribLocation(linked, bitangentLocation, "bitangent");
    if (std::strcmp(name, "particle") == 0) {
        static const char* const varyings[] = {"Position", "Velocity", "StartTime"};
        glTransformFeedbackVaryings(linked, 3, varyings, GL_SEPARATE_ATTRIBS);
    }
    glLinkProgram(linked);
    // Mesa replaces the log of a program that failed to link with the (empty) text of
    // the validation, which would hide every link error: keep the link messages.
    const std::string linkLog = programInfoLog(linked);
    glValidateProgram(linked);
    if (!linkLog.empty() && programInfoLog(linked).find(linkLog) == std::string::npos)
        printConsole("%s\n", linkLog.c_str());
    printProgramLog(linked);

    vertexShader = vertex;
    fragmentShader = fragment;
    program = linked;
    glUseProgram(program);
    texLocation = glGetUniformLocation(program, "tex");
    nmTexLocation = glGetUniformLocation(program, "nmTex");
    bindBlocks();
}

void ShaderProgram::bindBlocks() {
    // Blocks a program does not declare give GL_INVALID_INDEX; the call is still made and
    // only leaves an error flag behind, which the frame loop's check reads.
    glUniformBlockBinding(program, glGetUniformBlockIndex(program, "Matrices"), matricesBinding);
    glUniformBlockBinding(program, glGetUniformBlockIndex(program, "PreviousMatrices"), previousMatricesBinding);
    glUniformBlockBinding(program, glGetUniformBlockIndex(program, "Material"), materialBinding);
    glUniformBlockBinding(program, glGetUniformBlockIndex(program, "PointLight"), pointLightBinding);
    glUniformBlockBinding(program, glGetUniformBlockIndex(program, "Sphere"), sphereBinding);
}

}  // namespace Quessel
