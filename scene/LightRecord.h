#pragma once
#include "math/MathTypes.h"
#include "math/Placement.h"

#include <cstdint>

namespace Quessel {

// Mirror of the "PointLight" uniform block: fourteen 4-byte words. The position is in the
// demo's Y-up world: a node translation (x, y, z) in the scene's Z-up frame goes in as
// (x, z, -y).
struct LightRecord {
    float position[3] = {0.0f, 0.0f, 0.0f};
    float ones[4] = {0.0f, 0.0f, 0.0f, 0.0f};                 // words 3-6
    float factors[6] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};  // words 7-12
    uint32_t buffer = 0;                                      // word 13: the buffer holding the record

    // The record a new light object starts with.
    static LightRecord forLightObject();
    // Writes words 0-12 from a node translation.
    void setFromTranslation(float x, float y, float z);
    // Writes words 0-12 for a light at a world position with its colour, its falloff scaled
    // by `falloffScale` (the demo's 0.01 per metre and per square metre seen in units of
    // 1 / falloffScale metres; 0 for no falloff, a light from far away).
    void setInWorld(const vec3& position, const vec3& colour, float falloffScale);
    // A record written from a node of a placed scene (see Placement), whose translation the
    // placement has already scaled: moved with the scene's middle, its falloff and bulb
    // in drawn units, so the light falls off over the scene as it would unplaced.
    void place(const Placement& placement);
};

static_assert(sizeof(LightRecord) == 56, "LightRecord must match the 56-byte block");

}  // namespace Quessel
