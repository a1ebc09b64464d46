#pragma once

#include "SceneDescription.h"

namespace Quessel::SceneGen {

// The demo's scene: an open-roofed courtyard of tiled floor and three-storey facades, a
// brick bakehouse whose chimney top holds the smoke emitter, the four display spheres on
// plinths, a rubber-duck statue, a dragon-fruit sculpture, a fountain, trees, benches and
// the two point lights, all under an inward sky dome.
class CourtyardLayout {
public:
    // World frame, Y up, metres.
    static constexpr double minX = -12.0, maxX = 13.0, minZ = -12.0, maxZ = 25.0;
    static constexpr double facadeHeight = 12.0;
    static constexpr double skyRadius = 80.0;  // the sky dome, centred on the floor's middle
    static constexpr double skyLowestElevation = -10.0 * 3.14159265358979323846 / 180.0;  // its rim
    static constexpr const char* skyTexture = "sky.png";
    static const glm::dvec3 chimneyTop;          // where the smoke emitter sits
    static const glm::dvec3 spherePositions[4];  // Sphere, Sphere_001, Sphere_002, Sphere_003
    static const glm::dvec3 staticLight;         // PointLight
    static const glm::dvec3 circlingLight;       // PointLight1 at its start

    static SceneDescription build();
};

}  // namespace Quessel::SceneGen
