#pragma once
#include <GL/glew.h>

#include <array>
#include <string>
#include <vector>

namespace Quessel {

// The values of a program's default-block uniforms (those outside uniform blocks), read
// before a relink and written back after it: linking resets them to zero or to their
// layout initialisers.
class UniformSnapshot {
public:
    // Every active default-block uniform of `program`, array elements one by one.
    static UniformSnapshot of(GLuint program);

    // Writes each value to the uniform of the same name and type in `program`; names the
    // program lacks, or has with another type, are skipped. Returns how many were written.
    int restore(GLuint program) const;

private:
    struct Value {
        std::string name;
        GLenum type = 0;
        GLint location = -1;
        // Up to a mat4; read and written as floats, ints or unsigned ints by type.
        std::array<GLint, 16> words{};
    };

    std::vector<Value> values;
};

}  // namespace Quessel
