#include "SurfaceTextures.h"

#include "Noise.h"

#include <glm/common.hpp>
#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace Quessel::SceneGen {

namespace {

constexpr int N = SurfaceTextures::size;

glm::dvec3 rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }

// Distance in pixels from (p) to the nearest multiple of `cell`.
double edgeDistance(double p, double cell) {
    double l = std::fmod(p, cell);
    return std::min(l, cell - l);
}

// Tangent-space normal map of a tileable height field with the image's rows: rgb = n * 0.5 +
// 0.5, +Z out of the surface, +X towards increasing u, +Y towards increasing v (up the picture).
Image normalMap(const std::vector<double>& height, double strength) {
    auto at = [&](int x, int y) { return height[size_t(Noise::wrap(y, N)) * N + Noise::wrap(x, N)]; };
    Image image(N, N, 3);
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            double du = (at(x + 1, y) - at(x - 1, y)) * 0.5;
            // Rows run downwards while v runs upwards.
            double dv = (at(x, y - 1) - at(x, y + 1)) * 0.5;
            image.set(x, y, glm::normalize(glm::dvec3(-du * strength, -dv * strength, 1.0)) * 0.5 + 0.5);
        }
    return image;
}

// Calls texel(x, y, u, v, height) for every pixel, (u, v) at the pixel's centre with v
// growing up the picture; texel returns the colour and sets the height there.
template <class Texel>
SurfaceTexture fromTexels(double strength, Texel texel) {
    Image colour(N, N, 3);
    std::vector<double> height(size_t(N) * N);
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x)
            colour.set(x, y, texel(x, y, (x + 0.5) / N, 1.0 - (y + 0.5) / N, height[size_t(y) * N + x]));
    return {colour, normalMap(height, strength)};
}

}  // namespace

SurfaceTexture SurfaceTextures::whiteTiles() {
    const double cell = N / 4.0;  // four tiles of half a metre across a 2 m repeat
    const double grout = 3.0;     // half the joint width
    return fromTexels(2.5, [&](int x, int y, double u, double v, double& height) {
        double px = x + 0.5, py = y + 0.5;
        double d = std::min(edgeDistance(px, cell), edgeDistance(py, cell));
        int tx = static_cast<int>(px / cell), ty = static_cast<int>(py / cell);
        double tileTone = 0.97 + 0.04 * Noise::hash(tx, ty, 1, 11);
        double cloud = Noise::tiledFbm(u, v, 4, 4, 12);
        double grain = Noise::tiledFbm(u, v, 64, 2, 13);
        double bevel = glm::smoothstep(grout, grout + 6.0, d);
        double onTile = glm::smoothstep(grout - 0.8, grout + 0.8, d);

        glm::dvec3 glaze = rgb(238, 237, 231) * (tileTone + 0.05 * (cloud - 0.5)) * (0.90 + 0.10 * bevel);
        glm::dvec3 joint = rgb(150, 146, 136) * (0.85 + 0.3 * grain);
        height = onTile * (0.35 + 0.65 * bevel) + 0.08 * grain * (1 - onTile) + 0.02 * cloud;
        return glm::mix(joint, glaze, onTile);
    });
}

SurfaceTexture SurfaceTextures::paintedPlaster() {
    return fromTexels(8.0, [](int, int, double u, double v, double& height) {
        double blotch = Noise::tiledFbm(u, v, 3, 5, 21);
        double trowel = Noise::tiledFbm(u, v, 10, 4, 22);
        double grain = Noise::tiledFbm(u, v, 128, 2, 23);
        double streak = Noise::tiledFbm(u, v, 24, 3, 24) * Noise::tiled(u, v, 16, 2, 25);  // faint rain runs
        double tone = 1.0 + 0.08 * (blotch - 0.5) + 0.06 * (grain - 0.5) + 0.04 * (trowel - 0.5) -
                      0.05 * glm::smoothstep(0.35, 0.6, streak);
        glm::dvec3 paint = glm::mix(rgb(226, 208, 176), rgb(212, 186, 148), glm::smoothstep(0.35, 0.7, blotch));
        height = 0.75 * trowel + 0.25 * grain;
        return paint * tone;
    });
}

SurfaceTexture SurfaceTextures::bricks() {
    const double course = N / 16.0;  // 16 courses over the 1.2 m repeat
    const double brickLength = N / 4.0;
    const double mortar = 3.0;
    const glm::dvec3 clays[3] = {rgb(150, 62, 42), rgb(166, 84, 56), rgb(120, 48, 36)};
    return fromTexels(3.0, [&](int x, int y, double u, double v, double& height) {
        double px = x + 0.5, py = y + 0.5;
        int row = static_cast<int>(py / course);
        double shifted = px + (row % 2) * brickLength * 0.5;
        int column = static_cast<int>(shifted / brickLength) % 4;
        double d = std::min(edgeDistance(shifted, brickLength), edgeDistance(py, course));
        double onBrick = glm::smoothstep(mortar - 0.8, mortar + 0.8, d);
        double rounding = glm::smoothstep(mortar, mortar + 4.0, d);

        double pick = Noise::hash(column, row, 3, 31);
        glm::dvec3 clay =
            pick < 0.4 ? glm::mix(clays[0], clays[1], pick / 0.4) : glm::mix(clays[1], clays[2], (pick - 0.4) / 0.6);
        double spots = Noise::tiledFbm(u, v, 32, 3, 32);
        double sand = Noise::tiledFbm(u, v, 128, 1, 33);
        double soot = Noise::tiledFbm(u, v, 4, 3, 34);
        glm::dvec3 brick = clay * (0.85 + 0.3 * spots) * (1.0 - 0.25 * glm::smoothstep(0.55, 0.8, soot));
        glm::dvec3 joint = rgb(178, 170, 152) * (0.8 + 0.35 * sand);
        height = onBrick * (0.6 + 0.4 * rounding) + 0.12 * spots * onBrick + 0.1 * sand;
        return glm::mix(joint, brick * (0.9 + 0.1 * rounding), onBrick);
    });
}

SurfaceTexture SurfaceTextures::duckSkin(bool variant) {
    const uint32_t seed = variant ? 50 : 40;
    const glm::dvec3 base = variant ? rgb(255, 196, 24) : rgb(255, 214, 38);
    const glm::dvec3 shade = variant ? rgb(240, 160, 16) : rgb(246, 186, 30);
    return fromTexels(1.5, [&](int, int, double u, double v, double& height) {
        double sheen = Noise::tiledFbm(u, v, 3, 4, seed);
        double pores = Noise::tiledFbm(u, v, 128, 2, seed + 1);
        height = 0.7 * pores + 0.3 * sheen;
        return glm::mix(base, shade, glm::smoothstep(0.3, 0.75, sheen)) * (0.97 + 0.06 * pores);
    });
}

SurfaceTexture SurfaceTextures::dragonFruitSkin() {
    const int columns = 4, rows = 4;
    const double cellW = double(N) / columns, cellH = double(N) / rows;
    return fromTexels(4.0, [&](int x, int y, double u, double v, double& height) {
        double px = x + 0.5, py = y + 0.5;
        // The bract covering this pixel: the lower one wins, its tip overlapping the skin above.
        double bestT = -1, bestEdge = 0;
        int bestId = 0;
        int row0 = static_cast<int>(py / cellH);
        for (int row = row0 - 1; row <= row0 + 2; ++row) {
            double cy = (row + 0.5) * cellH;
            double offset = (Noise::wrap(row, rows) % 2) * 0.5 * cellW;
            for (int col = -1; col <= columns; ++col) {
                double cx = (col + 0.5) * cellW + offset;
                double dx = std::remainder(px - cx, double(N)) / cellW;
                double up = (cy - py) / cellH;
                double t = (up + 0.45) / 1.25;  // 0 at the base, 1 at the tip
                if (t <= 0 || t >= 1) continue;
                double halfWidth = 0.95 * std::sqrt(t) * (1 - t);
                double edge = halfWidth - std::fabs(dx);
                if (edge > 0 && t > bestT) {
                    bestT = t;
                    bestEdge = edge;
                    bestId = Noise::wrap(row, rows) * columns + Noise::wrap(col, columns);
                }
            }
        }
        double skinNoise = Noise::tiledFbm(u, v, 16, 4, 61);
        glm::dvec3 skin = glm::mix(rgb(214, 38, 112), rgb(186, 22, 90), skinNoise);
        height = 0.15 * skinNoise;
        if (bestT <= 0) return skin;
        double tint = 0.9 + 0.2 * Noise::hash(bestId, 0, 6, 62);
        glm::dvec3 bract = glm::mix(rgb(226, 60, 128), rgb(150, 190, 60), glm::smoothstep(0.45, 0.95, bestT)) * tint;
        double rim = glm::smoothstep(0.0, 0.05, bestEdge);
        height = glm::mix(height, 0.3 + 0.7 * bestT, rim);
        return glm::mix(skin * 0.8, bract, rim);
    });
}

Image SurfaceTextures::smokePuff(int size) {
    Image image(size, size, 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double u = (x + 0.5) / size, v = (y + 0.5) / size;
            double dx = u - 0.5, dy = v - 0.5;
            double r = std::sqrt(dx * dx + dy * dy);
            double billow = Noise::tiledFbm(u, v, 4, 4, 71);
            // A ragged rim: the fade-out radius wanders with the noise but stays inside the border.
            double rim = 0.36 + 0.1 * (billow - 0.5);
            double fade = 1.0 - glm::smoothstep(0.12, rim, r);
            double density = fade * (0.55 + 0.6 * billow);
            double alpha = std::min(1.0, density) * 0.85;
            double grey = 0.80 + 0.14 * billow;
            image.set(x, y, {grey, grey, grey * 1.02}, alpha);
        }
    return image;
}

}  // namespace Quessel::SceneGen
