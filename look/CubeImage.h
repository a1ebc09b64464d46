#pragma once
#include "math/MathTypes.h"

#include <array>
#include <vector>

namespace Quessel {

class IEnvironment;

// A cube map of linear RGB on the CPU, faces in GL's order (+X, -X, +Y, -Y, +Z, -Z), each
// `size` square with its rows in the order GL uploads them: texel (x, y) of a face lies at
// GL's face coordinates s = (x + 0.5) / size, t = (y + 0.5) / size.
struct CubeImage {
    int size = 0;
    std::array<std::vector<vec3>, 6> faces;

    explicit CubeImage(int size = 0);

    vec3& at(int face, int x, int y) { return faces[face][static_cast<size_t>(y) * size + x]; }
    const vec3& at(int face, int x, int y) const { return faces[face][static_cast<size_t>(y) * size + x]; }

    // The direction through face coordinates s, t in [-1, 1] (not normalised), as GL maps it.
    static vec3 direction(int face, float s, float t);
    // The unit direction through the centre of a texel.
    vec3 texelDirection(int face, int x, int y) const;
    // The solid angle a texel covers (all of them add up to 4 pi).
    float texelSolidAngle(int x, int y) const;

    // The environment averaged over `samples` x `samples` points in each texel.
    static CubeImage fromEnvironment(const IEnvironment& environment, int size, int samples = 2);
    // Half the size, each texel the mean of four.
    CubeImage halved() const;
    // Bilinear within the face the direction hits (clamped at its edges).
    vec3 sample(const vec3& direction) const;
};

}  // namespace Quessel
