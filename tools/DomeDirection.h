#pragma once

#include <glm/vec3.hpp>

#include <cmath>

namespace Quessel::SceneGen {

// Unit direction at an elevation above the horizon and an azimuth turning from +X
// towards -Z: how the sky dome lays out its texture and the sky panorama its pixels.
inline glm::dvec3 domeDirection(double elevation, double azimuth) {
    return {std::cos(elevation) * std::cos(azimuth), std::sin(elevation), -std::cos(elevation) * std::sin(azimuth)};
}

}  // namespace Quessel::SceneGen
