#pragma once
#include <GL/glew.h>

#include <string>

namespace Quessel {

// Reads a shader file in text mode. Returns a heap buffer (release with delete[]) that
// ends right after the bytes actually read, or nullptr for no path, a file that cannot
// be opened, and an empty file.
char* readShaderFile(const char* path);

// A shader's or program's info log as text (empty when there is none).
std::string shaderInfoLog(GLuint shader);
std::string programInfoLog(GLuint program);

// The info log, when there is one, on the console.
void printShaderLog(GLuint shader);
void printProgramLog(GLuint program);

// One built program with the locations and binding points every program shares.
// Building never fails: a broken file only shows up in the printed info logs.
class ShaderProgram {
public:
    ShaderProgram(const char* vertexPath, const char* fragmentPath, const char* name);

    const char* name;
    const char* vertexPath;
    const char* fragmentPath;
    GLint positionLocation;
    GLint normalLocation;
    GLint tangentLocation;
    GLint bitangentLocation;
    GLint texCoordLocation;
    GLint matricesBinding;
    GLint previousMatricesBinding;
    GLint texLocation = -1;
    GLint nmTexLocation = -1;
    GLint materialBinding;
    GLint pointLightBinding;
    GLint sphereBinding;
    GLuint vertexShader = 0;
    GLuint fragmentShader = 0;
    GLuint program = 0;

private:
    void build();
    void bindBlocks();
};

}  // namespace Quessel
