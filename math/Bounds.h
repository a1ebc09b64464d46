#pragma once
#include "math/MathTypes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Quessel {

// An axis-aligned box grown point by point; empty until the first finite point.
struct Bounds {
    vec3 min{std::numeric_limits<float>::max()};
    vec3 max{-std::numeric_limits<float>::max()};

    void add(const vec3& point) {
        // Corrupt files carry NaN and infinite coordinates; they would make every size meaningless.
        if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z)) return;
        min = glm::min(min, point);
        max = glm::max(max, point);
    }
    bool empty() const { return min.x > max.x; }
    vec3 centre() const { return empty() ? vec3(0.0f) : (min + max) * 0.5f; }
    vec3 size() const { return empty() ? vec3(0.0f) : max - min; }
    // Half the diagonal: the radius of the sphere around the box.
    float radius() const { return glm::length(size()) * 0.5f; }
    // Corner 0 to 7: bit 0 picks the larger x, bit 1 y, bit 2 z.
    vec3 corner(int index) const {
        return vec3(index & 1 ? max.x : min.x, index & 2 ? max.y : min.y, index & 4 ? max.z : min.z);
    }
};

}  // namespace Quessel
