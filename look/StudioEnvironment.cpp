#include "look/StudioEnvironment.h"

#include <algorithm>
#include <cmath>

namespace Quessel {

namespace {

struct Panel {
    vec3 centre;
    float radius;    // degrees from the centre to the middle of the edge
    float radiance;  // linear, neutral white
};

// Strong enough that a white surface facing a panel reads bright, with the room alone
// keeping every side of a model visible.
const Panel Panels[] = {
    {{0.0f, 1.0f, 0.0f}, 30.0f, 3.0f},
    {{0.8f, 0.3f, 0.5f}, 18.0f, 5.0f},
    {{-0.9f, 0.25f, 0.3f}, 22.0f, 2.0f},
    {{0.2f, 0.3f, -1.0f}, 15.0f, 3.0f},
};
constexpr float EdgeDegrees = 8.0f;
constexpr float Floor = 0.2f;
constexpr float Wall = 0.45f;
constexpr float Ceiling = 0.6f;

float smoothstep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

float degreesBetween(const vec3& a, const vec3& b) {
    return std::acos(std::clamp(glm::dot(a, b), -1.0f, 1.0f)) * (180.0f / 3.14159265f);
}

}  // namespace

vec3 StudioEnvironment::radiance(const vec3& direction) const {
    const float y = direction.y;
    float room = Wall + (Floor - Wall) * smoothstep(0.0f, -0.3f, y);
    room += (Ceiling - Wall) * smoothstep(0.3f, 0.8f, y);
    float light = 0.0f;
    for (const Panel& panel : Panels) {
        const float angle = degreesBetween(direction, glm::normalize(panel.centre));
        light += panel.radiance * (1.0f - smoothstep(panel.radius - EdgeDegrees, panel.radius + EdgeDegrees, angle));
    }
    return vec3(room + light);
}

}  // namespace Quessel
