#include "study/ViewPrograms.h"

#include "core/GlProgram.h"

namespace Quessel::Study {

GLuint ViewPrograms::link(const char* vertex, const char* fragment, std::string& log) {
    const std::string folder = Folder;
    return GlProgram::build(folder + vertex, folder + fragment, log);
}

bool ViewPrograms::build(std::string& log) {
    color = link("view.vert", "color.frag", log);
    depth = color ? link("view.vert", "depth.frag", log) : 0;
    cube = depth ? link("view.vert", "cube.frag", log) : 0;
    text = cube ? link("text.vert", "text.frag", log) : 0;
    return text != 0;
}

}  // namespace Quessel::Study
