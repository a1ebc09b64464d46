#include "Noise.h"

#include <glm/common.hpp>

#include <cmath>

namespace Quessel::SceneGen {

namespace {

double fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

}  // namespace

double Noise::hash(int32_t x, int32_t y, int32_t z, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h = (h << 17) | (h >> 15);
    h ^= static_cast<uint32_t>(z) * 0x27D4EB2Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return (h >> 8) * (1.0 / 16777216.0);
}

double Noise::tiled(double u, double v, int cellsU, int cellsV, uint32_t seed) {
    double x = u * cellsU, y = v * cellsV;
    double fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    double tx = fade(x - fx), ty = fade(y - fy);
    auto at = [&](int dx, int dy) { return hash(wrap(ix + dx, cellsU), wrap(iy + dy, cellsV), 0, seed); };
    return glm::mix(glm::mix(at(0, 0), at(1, 0), tx), glm::mix(at(0, 1), at(1, 1), tx), ty);
}

double Noise::tiledFbm(double u, double v, int cells, int octaves, uint32_t seed) {
    double sum = 0, amplitude = 0.5, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * tiled(u, v, cells << i, seed + 101u * i);
        total += amplitude;
        amplitude *= 0.5;
    }
    return sum / total;
}

double Noise::smooth3(const glm::dvec3& p, uint32_t seed) {
    double fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
    double tx = fade(p.x - fx), ty = fade(p.y - fy), tz = fade(p.z - fz);
    auto at = [&](int dx, int dy, int dz) { return hash(ix + dx, iy + dy, iz + dz, seed); };
    double a = glm::mix(glm::mix(at(0, 0, 0), at(1, 0, 0), tx), glm::mix(at(0, 1, 0), at(1, 1, 0), tx), ty);
    double b = glm::mix(glm::mix(at(0, 0, 1), at(1, 0, 1), tx), glm::mix(at(0, 1, 1), at(1, 1, 1), tx), ty);
    return glm::mix(a, b, tz);
}

double Noise::fbm3(const glm::dvec3& p, int octaves, uint32_t seed) {
    double sum = 0, amplitude = 0.5, total = 0, scale = 1;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * smooth3(p * scale, seed + 101u * i);
        total += amplitude;
        amplitude *= 0.5;
        scale *= 2.03;
    }
    return sum / total;
}

}  // namespace Quessel::SceneGen
