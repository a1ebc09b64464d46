#pragma once

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <cstdint>
#include <vector>

namespace Quessel::SceneGen {

// Triangle mesh in the scene's Y-up frame; every vertex carries its own normal and UV.
class Mesh {
public:
    // Meshes without texture coordinates keep `uvs` empty; the writer then leaves them out.
    std::vector<glm::dvec3> positions;
    std::vector<glm::dvec3> normals;
    std::vector<glm::dvec2> uvs;
    std::vector<uint32_t> indices;

    uint32_t addVertex(const glm::dvec3& position, const glm::dvec3& normal, const glm::dvec2& uv);
    void addTriangle(uint32_t a, uint32_t b, uint32_t c);
    void append(const Mesh& other);
    size_t triangleCount() const { return indices.size() / 3; }
    // Reorders the triangles so that those facing `viewpoint` come first. Nothing culls
    // back faces, and a software rasteriser shades every triangle that passes the depth
    // test: drawn after the faces in front of them, back faces fail it and cost little.
    void sortFacingFirst(const glm::dvec3& viewpoint);
};

// Axis-aligned box; each face is mapped planar with tileSize metres per texture repeat,
// upright on the walls (v grows upwards) and seen unmirrored from outside.
Mesh makeBox(const glm::dvec3& min, const glm::dvec3& max, double tileSize);

// Ellipsoid around centre with the given semi-axes; u runs once round the equator
// uRepeat times, v from the bottom pole (0) to the top pole (vRepeat).
Mesh makeEllipsoid(const glm::dvec3& centre, const glm::dvec3& radii, int segments, int rings, double uRepeat = 1.0,
                   double vRepeat = 1.0);

// One single-sided rectangle: front (normal uHalf x vHalf, counter-clockwise) only, u and v
// from 0 to 1 across it.
Mesh makeQuad(const glm::dvec3& centre, const glm::dvec3& uHalf, const glm::dvec3& vHalf);

// Inward-facing dome around centre: rings from the zenith down to lowestElevation
// (radians, negative below the horizon), normals towards the centre, u once round the
// horizon, v from the lowest ring (0) to the zenith (1). The lowest ring stays open.
Mesh makeDome(const glm::dvec3& centre, double radius, int segments, int rings, double lowestElevation);
// Unit direction at the dome's v and an azimuth turning from +X towards -Z: how the dome
// lays out its texture and the sky panorama its pixels.
glm::dvec3 domeDirection(double v, double azimuth, double lowestElevation);

}  // namespace Quessel::SceneGen
