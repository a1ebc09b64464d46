#pragma once
#include <GL/glew.h>

#include <string>

namespace Quessel::Study {

// The study tool's own programs, built from StudyShader/ in the working directory (the
// run directory, where the build stages them beside the demo's Shader/).
struct ViewPrograms {
    static constexpr const char* Folder = "StudyShader/";

    GLuint color = 0;
    GLuint depth = 0;
    GLuint cube = 0;
    GLuint text = 0;

    // False when a file is missing or does not compile or link; `log` names the file and
    // gives the compiler's or linker's messages.
    bool build(std::string& log);

private:
    static GLuint link(const char* vertex, const char* fragment, std::string& log);
};

}  // namespace Quessel::Study
