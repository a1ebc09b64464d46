#pragma once
#include "math/MathTypes.h"

#include <array>

namespace Quessel {

struct CubeImage;

// Irradiance as nine spherical-harmonic coefficients (bands 0-2): the environment's
// radiance projected onto the real basis, each band scaled by its cosine-lobe factor
// (pi, 2 pi / 3, pi / 4), so that irradiance(n) is the sum of coefficient times basis.
// Shader/Look/lighting.glsl evaluates the same sum.
class SphericalHarmonics {
public:
    static SphericalHarmonics project(const CubeImage& radiance);
    // The basis in the order y00, y1-1, y10, y11, y2-2, y2-1, y20, y21, y22.
    static std::array<float, 9> basis(const vec3& direction);
    // Irradiance on a surface facing `normal` (unit length): light per unit area.
    vec3 irradiance(const vec3& normal) const;

    std::array<vec3, 9> coefficients{};
};

}  // namespace Quessel
