#pragma once
#include "look/CubeImage.h"
#include "look/SphericalHarmonics.h"

#include <string>
#include <vector>

namespace Quessel {

class IEnvironment;

// Everything the look takes from an environment, made on the CPU once at set-up: the
// radiance cube map (background, what mirrors show behind the scene), the specular cube
// map's levels (SpecularPrefilter) and the irradiance (SphericalHarmonics).
struct EnvironmentBake {
    // Sized for a software rasteriser: glossy reflections start at 128 texels a face, and
    // the irradiance needs no more than 32.
    static constexpr int SpecularSize = 128;
    static constexpr int IrradianceSize = 32;

    std::string name;
    CubeImage radiance;
    std::vector<CubeImage> specular;
    SphericalHarmonics irradiance;

    static EnvironmentBake make(const IEnvironment& environment);
};

}  // namespace Quessel
