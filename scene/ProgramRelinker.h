#pragma once
#include <GL/glew.h>

#include <string>

namespace Quessel {

class ShaderProgram;
class UniformSnapshot;

// Changes what a program of the registry computes without changing which program it is:
// the same GL program object is linked again with other shaders, so the registry's record
// and the program names that other objects keep stay valid. A link resets what linking
// decides, so each relink first declares again the attribute locations the running link
// placed (the quad's vertex array was built with them) and afterwards binds the uniform
// blocks, refreshes the record's sampler locations and writes the given uniform values
// back. The benchmark swaps cheap shaders in and out with it; the study tool reloads the
// shader files with it.
class ProgramRelinker {
public:
    // Links `record.program` with `vertex` and `fragment` and writes `values` back. False
    // with the linker's messages in `log` when the link fails; the program then draws
    // nothing until a relink succeeds.
    static bool relink(ShaderProgram& record, GLuint vertex, GLuint fragment, const UniformSnapshot& values,
                       std::string& log);

    // Compiles the record's own files again and, when they compile and link (tried on a
    // program of its own first), relinks the record's program with them, keeping its
    // uniform values. On any failure the running program stays as it was and `log` says
    // why. On success the record holds the new shaders and `log` any warnings.
    static bool reload(ShaderProgram& record, std::string& log);

private:
    // Attaches the shaders and declares every binding a link of `record` needs.
    static void prepare(GLuint program, const ShaderProgram& record, GLuint vertex, GLuint fragment);
};

}  // namespace Quessel
