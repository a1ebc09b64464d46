#pragma once
#include "harness/ShaderReload.h"

#include <GL/glew.h>

#include <string>

namespace Quessel {

class Demo;
class UniformSnapshot;

// The demo's shader programs as the tools change them: reloaded from their files, or one
// relinked with other shaders while the demo runs.
class DemoPrograms {
public:
    explicit DemoPrograms(Demo& demo) : demo(demo) {}

    // Every program compiled again from its files and relinked in place.
    ShaderReload reload();
    // The GL name of a program of the demo's; 0 when there is none of that name.
    GLuint program(const std::string& name) const;
    // Links the program again with other compiled shaders, or (both 0) with its own, and
    // writes `values` back; false with the linker's log.
    bool relink(const std::string& name, GLuint vertex, GLuint fragment, const UniformSnapshot& values,
                std::string& log);

private:
    Demo& demo;
};

}  // namespace Quessel
