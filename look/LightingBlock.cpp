#include "look/LightingBlock.h"

#include "look/SphericalHarmonics.h"

#include <algorithm>

namespace Quessel {

void LightingBlock::setIrradiance(const SphericalHarmonics& sh) {
    for (int i = 0; i < 9; ++i)
        for (int c = 0; c < 3; ++c) irradiance[i][c] = sh.coefficients[i][c];
}

void LightingBlock::setLights(const std::vector<PunctualLight>& source) {
    lightCount = static_cast<int32_t>(std::min<size_t>(source.size(), MaxLights));
    for (int i = 0; i < MaxLights; ++i) {
        Light& slot = lights[i];
        slot = Light{};
        if (i >= lightCount) continue;
        const PunctualLight& light = source[i];
        for (int c = 0; c < 3; ++c) {
            slot.position[c] = light.position[c];
            slot.direction[c] = light.direction[c];
            slot.color[c] = light.color[c];
            slot.falloff[c] = light.falloff[c];
        }
        slot.type = static_cast<float>(light.type);
        slot.innerCos = light.innerCos;
        slot.outerCos = light.outerCos;
    }
}

}  // namespace Quessel
