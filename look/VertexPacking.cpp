#include "look/VertexPacking.h"

#include <algorithm>
#include <cmath>

namespace Quessel {

namespace {

constexpr float DirectionSteps = 511.0f;
constexpr float UnitSteps = 65535.0f;

uint32_t snorm10(float value) {
    const int steps = static_cast<int>(std::lround(std::clamp(value, -1.0f, 1.0f) * DirectionSteps));
    return static_cast<uint32_t>(steps) & 0x3FFu;
}

float fromSnorm10(uint32_t bits) {
    // Sign-extend the ten bits.
    const int steps = static_cast<int>(bits & 0x3FFu) - (bits & 0x200u ? 0x400 : 0);
    return std::max(static_cast<float>(steps) / DirectionSteps, -1.0f);
}

}  // namespace

uint32_t VertexPacking::packDirection(const vec3& direction) {
    if (!std::isfinite(direction.x) || !std::isfinite(direction.y) || !std::isfinite(direction.z)) return 0;
    // Scaled by its largest component first, so that no square overflows or underflows.
    const float largest = std::max({std::fabs(direction.x), std::fabs(direction.y), std::fabs(direction.z)});
    if (!(largest > 0.0f)) return 0;
    const vec3 unit = glm::normalize(direction / largest);
    return snorm10(unit.x) | snorm10(unit.y) << 10 | snorm10(unit.z) << 20;
}

vec3 VertexPacking::unpackDirection(uint32_t packed) {
    return {fromSnorm10(packed), fromSnorm10(packed >> 10), fromSnorm10(packed >> 20)};
}

uint16_t VertexPacking::packUnit(float value) {
    return static_cast<uint16_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * UnitSteps));
}

float VertexPacking::unpackUnit(uint16_t packed) { return static_cast<float>(packed) / UnitSteps; }

bool VertexPacking::allUnit(const float* values, size_t count) {
    return std::all_of(values, values + count, [](float v) { return v >= 0.0f && v <= 1.0f; });
}

}  // namespace Quessel
