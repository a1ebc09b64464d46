#pragma once
#include "math/MathTypes.h"

#include <cstddef>
#include <cstdint>

namespace Quessel {

// A mesh's attributes in fewer bytes where their precision allows, as GL reads them back
// (normalised integers, OpenGL 4.2's rule: c / (2^(b-1) - 1), at least -1). Positions stay
// 32-bit floats.
class VertexPacking {
public:
    // A direction (normal, tangent, bitangent) made unit length as GL_INT_2_10_10_10_REV:
    // x in bits 0-9, y 10-19, z 20-29, w 0; steps of 1/511, under a tenth of a degree.
    // The surface program normalises what it reads, so only the direction counts; a zero
    // or non-finite direction stays zero.
    static uint32_t packDirection(const vec3& direction);
    static vec3 unpackDirection(uint32_t packed);

    // A value in [0, 1] (texture coordinates, colours) as GL_UNSIGNED_SHORT, normalised:
    // steps of 1/65535, an eighth of a texel of an 8192-texel image.
    static uint16_t packUnit(float value);
    static float unpackUnit(uint16_t packed);
    // Whether all `count` values lie in [0, 1], so packUnit keeps them; others stay floats.
    static bool allUnit(const float* values, size_t count);
};

}  // namespace Quessel
