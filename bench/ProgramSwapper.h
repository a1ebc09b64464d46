#pragma once
#include "scene/UniformSnapshot.h"

#include <GL/glew.h>

#include <string>
#include <utility>
#include <vector>

namespace Quessel {
class ShaderProgram;
class ShaderRegistry;
}  // namespace Quessel

namespace Quessel::Bench {

// Swaps what the demo's programs compute, not which programs they are: the same GL
// program objects are relinked with cheap sources and back again, so the registry's
// records and the GL names the cube-map renderers keep stay valid. A relink resets what
// the link decides, so each one re-declares the attribute and output bindings first and
// afterwards rebinds the uniform blocks, refreshes the record's sampler locations and
// writes the uniform values back.
class ProgramSwapper {
public:
    // One program of the registry and the files of its cheap vertex and fragment shader.
    struct CheapSource {
        std::string program;
        std::string vertexFile;
        std::string fragmentFile;
    };

    // The scene, depth, sphere and composite programs with the files in `directory`
    // (the particles stay as they are).
    static std::vector<CheapSource> demoSources(const std::string& directory);

    // Compiles the cheap shaders; the programs stay as they are. Check `ready`, and
    // `error` for the reason when it is false.
    ProgramSwapper(Quessel::ShaderRegistry& registry, const std::vector<CheapSource>& sources);

    // Relink every program with its cheap shaders, or with the demo's own again. False
    // (with `error` set and the demo's shaders linked back) when a link fails.
    bool useCheap();
    bool useDemo();
    bool cheap() const { return cheapLinked; }

    bool ready = false;
    std::string error;

private:
    struct Swap {
        Quessel::ShaderProgram* record = nullptr;
        GLuint cheapVertex = 0;
        GLuint cheapFragment = 0;
        // Attribute names the demo's link placed, with their locations.
        std::vector<std::pair<std::string, GLint>> attributes;
        // The demo program's uniform values, taken when it is swapped out.
        Quessel::UniformSnapshot uniforms;
    };

    GLuint compile(GLenum type, const std::string& path);
    bool relink(Swap& swap, GLuint vertex, GLuint fragment);
    void rebindBlocks(const Quessel::ShaderProgram& record);

    std::vector<Swap> swaps;
    // Compiled cheap shaders by file, shared between programs that use the same file.
    std::vector<std::pair<std::string, GLuint>> compiled;
    bool cheapLinked = false;
};

}  // namespace Quessel::Bench
