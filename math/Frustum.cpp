#include "math/Frustum.h"

#include <cmath>

namespace Quessel {

namespace {

// The GPU multiplies in its own order, rounding differently: a box this close to a plane,
// relative to the sizes summed, is taken as touching it.
constexpr float Slack = 1e-5f;

float distance(const vec4& plane, const vec3& point) {
    return plane.x * point.x + plane.y * point.y + plane.z * point.z + plane.w;
}

float magnitude(const vec4& plane, const vec3& point) {
    return std::fabs(plane.x * point.x) + std::fabs(plane.y * point.y) + std::fabs(plane.z * point.z) +
           std::fabs(plane.w);
}

}  // namespace

Frustum::Frustum(const mat4& m) {
    // Row i of the matrix (GLM keeps columns): clip coordinate i of a point.
    const auto row = [&](int i) { return vec4(m[0][i], m[1][i], m[2][i], m[3][i]); };
    const vec4 w = row(3);
    for (int axis = 0; axis < 3; ++axis) {
        sides[2 * axis] = w + row(axis);
        sides[2 * axis + 1] = w - row(axis);
    }
}

Frustum::Side Frustum::classify(const Bounds& box) const {
    if (box.empty()) return Side::Straddles;
    bool inside = true;
    for (const vec4& plane : sides) {
        // The corners farthest along the plane's normal and against it.
        const vec3 far(plane.x >= 0.0f ? box.max.x : box.min.x, plane.y >= 0.0f ? box.max.y : box.min.y,
                       plane.z >= 0.0f ? box.max.z : box.min.z);
        const vec3 near(plane.x >= 0.0f ? box.min.x : box.max.x, plane.y >= 0.0f ? box.min.y : box.max.y,
                        plane.z >= 0.0f ? box.min.z : box.max.z);
        // Written so that NaN, from numbers past what floats hold, never says outside.
        if (distance(plane, far) < -Slack * magnitude(plane, far)) return Side::Outside;
        if (!(distance(plane, near) >= Slack * magnitude(plane, near))) inside = false;
    }
    return inside ? Side::Inside : Side::Straddles;
}

}  // namespace Quessel
