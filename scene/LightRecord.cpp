#include "scene/LightRecord.h"

namespace Quessel {

LightRecord LightRecord::forLightObject() {
    LightRecord record;
    record.setFromTranslation(0.0f, 0.0f, 0.0f);
    return record;
}

void LightRecord::setFromTranslation(float x, float y, float z) {
    position[0] = x;
    position[1] = z;
    position[2] = -y;
    for (float& word : ones) word = 1.0f;
    for (float& word : factors) word = 0.01f;
}

void LightRecord::setInWorld(const vec3& where, const vec3& colour, float falloffScale) {
    position[0] = where.x;
    position[1] = where.y;
    position[2] = where.z;
    ones[0] = 1.0f;  // intensity
    ones[1] = colour.r;
    ones[2] = colour.g;
    ones[3] = colour.b;
    factors[0] = 0.01f * falloffScale;  // linear
    for (int channel = 1; channel < 4; ++channel) factors[channel] = 0.01f * falloffScale * falloffScale;
    factors[4] = 0.01f;  // the share that reaches every surface
    // The bulb's radius, the nearest distance the falloff sees, in the scene's units.
    factors[5] = falloffScale > 0.0f ? 0.01f / falloffScale : 0.01f;
}

void LightRecord::place(const Placement& placement) {
    const vec3 centre(placement.scale * placement.centre);
    for (int axis = 0; axis < 3; ++axis) position[axis] -= centre[axis];
    const auto scale = static_cast<float>(placement.scale);
    factors[0] /= scale;
    for (int channel = 1; channel < 4; ++channel) factors[channel] /= scale * scale;
    factors[5] *= scale;
}

}  // namespace Quessel
