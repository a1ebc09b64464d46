#include "Mesh.h"

#include <glm/geometric.hpp>
#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>

namespace Quessel::SceneGen {

uint32_t Mesh::addVertex(const glm::dvec3& position, const glm::dvec3& normal, const glm::dvec2& uv) {
    positions.push_back(position);
    normals.push_back(normal);
    uvs.push_back(uv);
    return static_cast<uint32_t>(positions.size() - 1);
}

void Mesh::addTriangle(uint32_t a, uint32_t b, uint32_t c) { indices.insert(indices.end(), {a, b, c}); }

void Mesh::append(const Mesh& other) {
    auto base = static_cast<uint32_t>(positions.size());
    positions.insert(positions.end(), other.positions.begin(), other.positions.end());
    normals.insert(normals.end(), other.normals.begin(), other.normals.end());
    uvs.insert(uvs.end(), other.uvs.begin(), other.uvs.end());
    for (uint32_t i : other.indices) indices.push_back(base + i);
}

void Mesh::sortFacingFirst(const glm::dvec3& viewpoint) {
    struct Triangle {
        double facing;  // below 0 when the front is turned towards the viewpoint
        uint32_t a, b, c;
    };
    std::vector<Triangle> triangles;
    for (size_t i = 0; i + 2 < indices.size(); i += 3) {
        const glm::dvec3& p0 = positions[indices[i]];
        const glm::dvec3& p1 = positions[indices[i + 1]];
        const glm::dvec3& p2 = positions[indices[i + 2]];
        const glm::dvec3 centroid = (p0 + p1 + p2) * (1.0 / 3.0);
        const glm::dvec3 normal = glm::cross(p1 - p0, p2 - p0);
        const double facing =
            glm::length(normal) > 0 ? glm::dot(glm::normalize(normal), glm::normalize(centroid - viewpoint)) : 0.0;
        triangles.push_back({facing, indices[i], indices[i + 1], indices[i + 2]});
    }
    std::stable_sort(triangles.begin(), triangles.end(),
                     [](const Triangle& x, const Triangle& y) { return x.facing < y.facing; });
    indices.clear();
    for (const Triangle& t : triangles) indices.insert(indices.end(), {t.a, t.b, t.c});
}

namespace {

// Two counter-clockwise triangles over centre -+ uHalf -+ vHalf; uv(p, cu, cv) maps a corner.
template <class Uv>
void addQuad(Mesh& mesh, const glm::dvec3& centre, const glm::dvec3& uHalf, const glm::dvec3& vHalf,
             const glm::dvec3& normal, Uv uv) {
    const double corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    uint32_t idx[4];
    for (int i = 0; i < 4; ++i) {
        glm::dvec3 p = centre + uHalf * corners[i][0] + vHalf * corners[i][1];
        idx[i] = mesh.addVertex(p, normal, uv(p, corners[i][0], corners[i][1]));
    }
    mesh.addTriangle(idx[0], idx[1], idx[2]);
    mesh.addTriangle(idx[0], idx[2], idx[3]);
}

// Rings of vertex(ring, seg) from the top pole (ring 0) down: each pole gets one vertex per
// segment, which keeps its triangles' UVs undistorted; rings 1 to lastRing are shared rows
// of segments + 1 vertices. An open grid ends at ring `rings`, a closed one at its bottom
// pole. Counter-clockwise seen from outside, or from inside when `inward`.
template <class Vertex>
void addLatitudeGrid(Mesh& mesh, int segments, int rings, bool closed, bool inward, Vertex vertex) {
    auto triangle = [&](uint32_t a, uint32_t b, uint32_t c) {
        inward ? mesh.addTriangle(a, c, b) : mesh.addTriangle(a, b, c);
    };
    const int lastRing = closed ? rings - 1 : rings;
    std::vector<std::vector<uint32_t>> grid(rings + 1);
    for (int ring = 1; ring <= lastRing; ++ring)
        for (int seg = 0; seg <= segments; ++seg) grid[ring].push_back(vertex(ring, seg));
    for (int seg = 0; seg < segments; ++seg) {
        triangle(vertex(0, seg + 0.5), grid[1][seg], grid[1][seg + 1]);
        if (closed) triangle(vertex(rings, seg + 0.5), grid[rings - 1][seg + 1], grid[rings - 1][seg]);
    }
    for (int ring = 1; ring < lastRing; ++ring)
        for (int seg = 0; seg < segments; ++seg) {
            uint32_t a = grid[ring][seg], b = grid[ring][seg + 1];
            uint32_t c = grid[ring + 1][seg], d = grid[ring + 1][seg + 1];
            triangle(a, c, d);
            triangle(a, d, b);
        }
}

}  // namespace

Mesh makeBox(const glm::dvec3& min, const glm::dvec3& max, double tileSize) {
    // Each face's normal and its texture "up"; u completes a right-handed frame, so no face is mirrored.
    static const glm::dvec3 faces[6][2] = {
        {{1, 0, 0}, {0, 1, 0}},  {{-1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}, {0, 1, 0}},
        {{0, 0, -1}, {0, 1, 0}}, {{0, 1, 0}, {0, 0, -1}}, {{0, -1, 0}, {0, 0, 1}},
    };
    const glm::dvec3 centre = (min + max) * 0.5, half = (max - min) * 0.5;
    Mesh mesh;
    for (const auto& [normal, vAxis] : faces) {
        const glm::dvec3 uAxis = glm::cross(vAxis, normal);
        addQuad(mesh, centre + normal * half, uAxis * half, vAxis * half, normal,
                [&](const glm::dvec3& p, double, double) {
                    return glm::dvec2(glm::dot(p, uAxis) / tileSize, glm::dot(p, vAxis) / tileSize);
                });
    }
    return mesh;
}

Mesh makeEllipsoid(const glm::dvec3& centre, const glm::dvec3& radii, int segments, int rings, double uRepeat,
                   double vRepeat) {
    const double pi = glm::pi<double>();
    Mesh mesh;
    addLatitudeGrid(mesh, segments, rings, true, false, [&](int ring, double seg) {
        double theta = pi * ring / rings;  // 0 at the top pole
        double phi = 2 * pi * seg / segments;
        // Longitude runs clockwise seen from above so that du, dv and the normal form a right-handed frame.
        glm::dvec3 unit{std::sin(theta) * std::cos(phi), std::cos(theta), -std::sin(theta) * std::sin(phi)};
        glm::dvec2 uv{seg / segments * uRepeat, (1.0 - double(ring) / rings) * vRepeat};
        return mesh.addVertex(centre + unit * radii, glm::normalize(unit / radii), uv);
    });
    return mesh;
}

Mesh makeQuad(const glm::dvec3& centre, const glm::dvec3& uHalf, const glm::dvec3& vHalf) {
    Mesh mesh;
    addQuad(mesh, centre, uHalf, vHalf, glm::normalize(glm::cross(uHalf, vHalf)),
            [](const glm::dvec3&, double cu, double cv) { return glm::dvec2(0.5 * (cu + 1), 0.5 * (cv + 1)); });
    return mesh;
}

glm::dvec3 domeDirection(double v, double azimuth, double lowestElevation) {
    const double elevation = lowestElevation + (0.5 * glm::pi<double>() - lowestElevation) * v;
    return {std::cos(elevation) * std::cos(azimuth), std::sin(elevation), -std::cos(elevation) * std::sin(azimuth)};
}

Mesh makeDome(const glm::dvec3& centre, double radius, int segments, int rings, double lowestElevation) {
    Mesh mesh;
    // The ellipsoid's winding reversed: counter-clockwise seen from inside.
    addLatitudeGrid(mesh, segments, rings, false, true, [&](int ring, double seg) {
        double v = 1.0 - double(ring) / rings;  // ring 0 is the zenith
        glm::dvec3 unit = domeDirection(v, 2 * glm::pi<double>() * seg / segments, lowestElevation);
        return mesh.addVertex(centre + unit * radius, -unit, {seg / segments, v});
    });
    return mesh;
}

}  // namespace Quessel::SceneGen
