#include "look/LookPrograms.h"

#include "core/GlProgram.h"
#include "look/ShaderSource.h"

#include <optional>

namespace Quessel {

namespace {

GLuint buildProgram(const std::string& folder, const std::string& name, std::string& log) {
    const std::string vertexPath = folder + "/" + name + ".vert";
    const std::string fragmentPath = folder + "/" + name + ".frag";
    const std::optional<std::string> vertex = ShaderSource::expand(vertexPath, log);
    if (!vertex) return 0;
    const std::optional<std::string> fragment = ShaderSource::expand(fragmentPath, log);
    if (!fragment) return 0;
    return GlProgram::buildSource(*vertex, *fragment, folder + "/" + name, log);
}

}  // namespace

bool LookPrograms::build(const std::string& folder, std::string& log) {
    surface = buildProgram(folder, "surface", log);
    if (!surface) return false;
    background = buildProgram(folder, "background", log);
    if (!background) return false;
    glGenVertexArrays(1, &emptyVertexArray);
    return true;
}

LookPrograms::~LookPrograms() {
    if (surface) glDeleteProgram(surface);
    if (background) glDeleteProgram(background);
    if (emptyVertexArray) glDeleteVertexArrays(1, &emptyVertexArray);
}

}  // namespace Quessel
