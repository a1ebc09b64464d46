#pragma once
#include "math/MathTypes.h"

#include <GL/glew.h>

namespace Quessel {

// Fills the 20-byte "Sphere" block for one refractive object: its world position, then
// the two numbers the refraction shader reads (1.0: the refractive index around the sphere;
// -2.0: log10 of the dispersion step between colour channels).
inline void writeSphereBlock(GLuint buffer, const vec3& position) {
    const float outsideIndex = 1.0f;
    const float dispersion = -2.0f;
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    glBufferSubData(GL_UNIFORM_BUFFER, 0, 12, glm::value_ptr(position));
    glBufferSubData(GL_UNIFORM_BUFFER, 12, 4, &outsideIndex);
    glBufferSubData(GL_UNIFORM_BUFFER, 16, 4, &dispersion);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

}  // namespace Quessel
