#include "scene/ShaderProgram.h"

#include "core/Console.h"
#include "core/GlConstants.h"

#include <cstring>
#include <utility>

namespace Quessel {

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
    declareBindings(linked, *this);
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
    links = 1;
    glUseProgram(program);
    texLocation = glGetUniformLocation(program, "tex");
    nmTexLocation = glGetUniformLocation(program, "nmTex");
    bindBlocks(program, *this, true);
}

void ShaderProgram::declareBindings(GLuint program, const ShaderProgram& record) {
    // "output" is a reserved word in GLSL, so no shader can declare it and this binds
    // nothing; every fragment shader fixes its colour at location 0 instead.
    glBindFragDataLocation(program, 0, "output");
    glBindAttribLocation(program, static_cast<GLuint>(record.positionLocation), "position");
    glBindAttribLocation(program, static_cast<GLuint>(record.normalLocation), "normal");
    glBindAttribLocation(program, static_cast<GLuint>(record.texCoordLocation), "texCoord");
    glBindAttribLocation(program, static_cast<GLuint>(record.tangentLocation), "tangent");
    glBindAttribLocation(program, static_cast<GLuint>(record.bitangentLocation), "bitangent");
    if (std::strcmp(record.name, "particle") == 0) {
        static const char* const varyings[] = {"Position", "Velocity", "StartTime"};
        glTransformFeedbackVaryings(program, 3, varyings, GL_SEPARATE_ATTRIBS);
    }
}

void ShaderProgram::bindBlocks(GLuint program, const ShaderProgram& record, bool everyBlock) {
    const std::pair<const char*, GLint> blocks[] = {
        {"Matrices", record.matricesBinding}, {"PreviousMatrices", record.previousMatricesBinding},
        {"Material", record.materialBinding}, {"PointLight", record.pointLightBinding},
        {"Sphere", record.sphereBinding},
    };
    for (const auto& [block, binding] : blocks) {
        // A block the program does not declare gives GL_INVALID_INDEX; binding it changes
        // nothing and only leaves an error flag behind, which the frame loop's check reads.
        const GLuint index = glGetUniformBlockIndex(program, block);
        if (everyBlock || index != GL_INVALID_INDEX)
            glUniformBlockBinding(program, index, static_cast<GLuint>(binding));
    }
}

}  // namespace Quessel
