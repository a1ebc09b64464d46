#pragma once
#include <GL/glew.h>

#include <functional>
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

// Compiling and linking for every program that is not one of the demo's nine (whose
// builder keeps its own fixed order of calls): the tools' own programs and the shaders
// swapped into or reloaded for the demo's. Failures come back as 0 or false with `log`
// naming the file or program and giving the compiler's or linker's messages.
class GlProgram {
public:
    // Whatever a link of the program must declare first (attribute locations, outputs).
    using Declarations = std::function<void(GLuint program)>;

    static GLuint compileFile(GLenum type, const std::string& path, std::string& log);
    // `name` stands for the file in the log.
    static GLuint compileSource(GLenum type, const std::string& source, const std::string& name, std::string& log);

    // Links `program` as it is attached; `log` holds the linker's messages either way.
    static bool link(GLuint program, const std::string& name, std::string& log);
    // A new program of the two shaders, which it keeps attached; 0 when it does not link.
    static GLuint link(GLuint vertex, GLuint fragment, const std::string& name, std::string& log,
                       const Declarations& declare = {});
    // Both files compiled and linked; the shaders go with the program.
    static GLuint build(const std::string& vertexPath, const std::string& fragmentPath, std::string& log);
    // The same from text; `name` stands for the files in the log.
    static GLuint buildSource(const std::string& vertex, const std::string& fragment, const std::string& name,
                              std::string& log);
};

}  // namespace Quessel
