#include "look/EnvironmentBake.h"

#include "look/IEnvironment.h"
#include "look/SpecularPrefilter.h"

#include <algorithm>

namespace Quessel {

EnvironmentBake EnvironmentBake::make(const IEnvironment& environment) {
    EnvironmentBake bake;
    bake.name = environment.name();
    bake.radiance = CubeImage::fromEnvironment(environment, environment.faceSize());
    bake.specular = SpecularPrefilter::levels(bake.radiance, std::min(SpecularSize, bake.radiance.size));
    CubeImage small = bake.specular.front();
    while (small.size > IrradianceSize) small = small.halved();
    bake.irradiance = SphericalHarmonics::project(small);
    return bake;
}

}  // namespace Quessel
