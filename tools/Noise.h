#pragma once

#include <glm/vec3.hpp>

#include <cstdint>

namespace Quessel::SceneGen {

// Integer-hashed value noise: no global state, so every run yields the same numbers.
class Noise {
public:
    static double hash(int32_t x, int32_t y, int32_t z, uint32_t seed);  // in [0, 1)
    static int wrap(int i, int n) { return ((i % n) + n) % n; }          // lattice index i on a repeat of n

    // Tileable value noise at texture position (u, v) in [0, 1) with `cells` lattice cells per repeat.
    static double tiled(double u, double v, int cells, uint32_t seed) { return tiled(u, v, cells, cells, seed); }
    static double tiled(double u, double v, int cellsU, int cellsV, uint32_t seed);
    // Sum of octaves of `tiled`, each doubling the cell count; result in about [0, 1].
    static double tiledFbm(double u, double v, int cells, int octaves, uint32_t seed);

    static double smooth3(const glm::dvec3& p, uint32_t seed);
    static double fbm3(const glm::dvec3& p, int octaves, uint32_t seed);
};

}  // namespace Quessel::SceneGen
