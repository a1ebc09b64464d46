#include "look/SphericalHarmonics.h"

#include "look/CubeImage.h"

namespace Quessel {

std::array<float, 9> SphericalHarmonics::basis(const vec3& d) {
    return {0.282095f,
            0.488603f * d.y,
            0.488603f * d.z,
            0.488603f * d.x,
            1.092548f * d.x * d.y,
            1.092548f * d.y * d.z,
            0.315392f * (3.0f * d.z * d.z - 1.0f),
            1.092548f * d.x * d.z,
            0.546274f * (d.x * d.x - d.y * d.y)};
}

SphericalHarmonics SphericalHarmonics::project(const CubeImage& radiance) {
    constexpr float Pi = 3.14159265f;
    const float lobe[9] = {Pi, 2.0f * Pi / 3.0f, 2.0f * Pi / 3.0f, 2.0f * Pi / 3.0f, Pi / 4.0f,
                           Pi / 4.0f, Pi / 4.0f, Pi / 4.0f, Pi / 4.0f};
    // Sums in double: a 64 x 64 face adds 24576 terms per coefficient.
    std::array<glm::dvec3, 9> sums{};
    for (int face = 0; face < 6; ++face) {
        for (int y = 0; y < radiance.size; ++y) {
            for (int x = 0; x < radiance.size; ++x) {
                const std::array<float, 9> y9 = basis(radiance.texelDirection(face, x, y));
                const glm::dvec3 weighted = glm::dvec3(radiance.at(face, x, y)) * double(radiance.texelSolidAngle(x, y));
                for (int i = 0; i < 9; ++i) sums[i] += weighted * double(y9[i]);
            }
        }
    }
    SphericalHarmonics sh;
    for (int i = 0; i < 9; ++i) sh.coefficients[i] = vec3(sums[i]) * lobe[i];
    return sh;
}

vec3 SphericalHarmonics::irradiance(const vec3& normal) const {
    const std::array<float, 9> y9 = basis(normal);
    vec3 sum(0.0f);
    for (int i = 0; i < 9; ++i) sum += coefficients[i] * y9[i];
    return glm::max(sum, vec3(0.0f));
}

}  // namespace Quessel
