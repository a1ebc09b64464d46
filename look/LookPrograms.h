#pragma once
#include <GL/glew.h>

#include <string>

namespace Quessel {

// The look's programs, built from Shader/Look (or another folder) with their includes
// expanded: "surface" for meshes, "background" for what lies behind them (drawn from an
// empty vertex array). Owns them.
struct LookPrograms {
    GLuint surface = 0;
    GLuint background = 0;
    GLuint emptyVertexArray = 0;

    LookPrograms() = default;
    ~LookPrograms();
    LookPrograms(const LookPrograms&) = delete;
    LookPrograms& operator=(const LookPrograms&) = delete;

    // False with `log` naming the file or program and the compiler's or linker's messages.
    bool build(const std::string& folder, std::string& log);
};

}  // namespace Quessel
