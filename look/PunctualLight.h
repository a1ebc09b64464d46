#pragma once
#include "math/MathTypes.h"

#include <string>

namespace Quessel {

// A light of the scene in world space, its strength in the look's units: `color` is the
// irradiance (light per unit area) on a surface facing it at distance 1 before falloff,
// which is 1 / (constant + linear d + quadratic d^2).
struct PunctualLight {
    enum class Type { Directional = 1, Point = 2, Spot = 3 };

    std::string name;
    Type type = Type::Directional;
    vec3 position{0.0f};
    vec3 direction{0.0f, -1.0f, 0.0f};  // where the light goes
    vec3 color{1.0f};
    vec3 falloff{1.0f, 0.0f, 0.0f};
    // Cosines of the spot's half angles: full light inside `inner`, none outside `outer`.
    float innerCos = 1.0f;
    float outerCos = 0.0f;
};

}  // namespace Quessel
