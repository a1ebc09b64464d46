#include "math/Framing.h"

#include "core/GlConstants.h"

#include <algorithm>
#include <cmath>

namespace Quessel {

namespace {
// The demo's camera: 2 x 0.5236 rad vertically on the 1280 x 768 window.
constexpr float HalfFovy = 0.5236f;
constexpr float Aspect = static_cast<float>(ScreenWidth) / static_cast<float>(ScreenHeight);
}  // namespace

Framing::Framing(const Bounds& bounds) : bounds(bounds) {
    const float radius = bounds.radius();
    // A lone point (or nothing) still gets a camera that can see it from somewhere.
    const float magnitude = glm::length(bounds.centre());
    scale = std::max(radius, std::max(magnitude * 1e-5f, 1e-6f));
}

mat4 Framing::projection() const { return glm::perspective(2.0f * HalfFovy, Aspect, nearPlane(), farPlane()); }

vec3 Framing::threeQuarter() {
    // 35 degrees round from looking straight down -Z, 30 degrees down.
    const float heading = glm::radians(35.0f);
    const float pitch = glm::radians(-30.0f);
    return vec3(-std::sin(heading) * std::cos(pitch), std::sin(pitch), -std::cos(heading) * std::cos(pitch));
}

float Framing::viewDistance(const vec3& direction) const {
    const CameraPose axes = CameraPose::looking(vec3(0.0f), direction);
    const vec3 right(axes.view[0][0], axes.view[1][0], axes.view[2][0]);
    const vec3 up(axes.view[0][1], axes.view[1][1], axes.view[2][1]);
    const float tanY = std::tan(HalfFovy) / Margin;
    const float tanX = tanY * Aspect;
    // Each corner in view (its sideways and upward offsets within the angles at its depth)
    // and in front of the near plane.
    float distance = 0.0f;
    for (int corner = 0; corner < 8; ++corner) {
        const vec3 offset = bounds.corner(corner) - bounds.centre();
        const float along = glm::dot(offset, axes.direction);
        distance = std::max({distance, std::abs(glm::dot(offset, right)) / tanX - along,
                             std::abs(glm::dot(offset, up)) / tanY - along, nearPlane() * Margin - along});
    }
    return distance;
}

CameraPose Framing::view(const vec3& direction) const {
    const vec3 forward = glm::normalize(direction);
    return CameraPose::looking(bounds.centre() - forward * viewDistance(forward), forward);
}

}  // namespace Quessel
