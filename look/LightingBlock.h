#pragma once
#include "core/GlConstants.h"
#include "look/PunctualLight.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Quessel {

class SphericalHarmonics;

// Mirror of the "Lighting" uniform block (Shader/Look/lighting.glsl) that every program of
// the look shares: the environment's irradiance, the punctual lights, the specular cube
// map's top level and the exposure.
struct LightingBlock {
    static constexpr int MaxLights = 8;

    struct Light {
        float position[3];
        float type;  // 0: none, else PunctualLight::Type
        float direction[3];
        float innerCos;
        float color[3];
        float outerCos;
        float falloff[3];
        float unused;
    };

    float irradiance[9][4] = {};
    Light lights[MaxLights] = {};
    int32_t lightCount = 0;
    float specularTopLevel = 0.0f;
    float exposure = 1.0f;
    float unused = 0.0f;

    void setIrradiance(const SphericalHarmonics& sh);
    // The first MaxLights lights; the rest are dropped.
    void setLights(const std::vector<PunctualLight>& lights);
};

static_assert(sizeof(LightingBlock::Light) == 64, "std140 array stride");
static_assert(sizeof(LightingBlock) == BlockSize::Lighting, "std140 size");
static_assert(offsetof(LightingBlock, lights) == 144, "std140 offset");
static_assert(offsetof(LightingBlock, lightCount) == 656, "std140 offset");
static_assert(offsetof(LightingBlock, exposure) == 664, "std140 offset");

}  // namespace Quessel
