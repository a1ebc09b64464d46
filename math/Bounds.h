#pragma once
#include "math/MathTypes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Quessel {

// An axis-aligned box grown point by point; empty until the first finite point. In floats
// as drawn, or in doubles (WideBounds) for a scene's own coordinates, whose size may pass
// what floats can square and whose far-off nodes floats would round away.
template <typename V>
struct BasicBounds {
    using Vector = V;
    using Real = typename Vector::value_type;
    Vector min{std::numeric_limits<Real>::max()};
    Vector max{-std::numeric_limits<Real>::max()};

    void add(const Vector& point) {
        // Corrupt files carry NaN and infinite coordinates; they would make every size meaningless.
        if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z)) return;
        min = glm::min(min, point);
        max = glm::max(max, point);
    }
    bool empty() const { return min.x > max.x; }
    Vector centre() const { return empty() ? Vector(0) : (min + max) * Real(0.5); }
    Vector size() const { return empty() ? Vector(0) : max - min; }
    // Half the diagonal: the radius of the sphere around the box.
    Real radius() const { return glm::length(size()) * Real(0.5); }
    // Corner 0 to 7: bit 0 picks the larger x, bit 1 y, bit 2 z.
    Vector corner(int index) const {
        return Vector(index & 1 ? max.x : min.x, index & 2 ? max.y : min.y, index & 4 ? max.z : min.z);
    }
};

using Bounds = BasicBounds<vec3>;
using WideBounds = BasicBounds<dvec3>;

}  // namespace Quessel
