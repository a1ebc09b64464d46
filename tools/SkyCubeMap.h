#pragma once

#include "Image.h"

#include <string>

namespace Quessel::SceneGen {

// Procedural sky: gradient, sun glow, soft clouds, distant hills and ground. Each texel's
// colour depends only on its direction, so shared face edges agree.
class SkyCubeMap {
public:
    static constexpr int size = 512;
    static const char* const faceNames[6];  // posx, negx, posy, negy, posz, negz

    // Face in OpenGL cube-map order; row 0 is the first row handed to glTexImage2D.
    static Image face(int index);
    static glm::dvec3 direction(int face, double s, double t);
    static glm::dvec3 colour(const glm::dvec3& direction);
    // The same sky unrolled for the sky dome: u runs once round from +X towards -Z, v from
    // lowestElevation (radians) at the bottom row up to the zenith at the top row, as the
    // dome's texture coordinates do. The dome then costs the scene shader one texture tap.
    static Image panorama(int width, int height, double lowestElevation);
};

}  // namespace Quessel::SceneGen
