#include "SkyCubeMap.h"

#include "Mesh.h"
#include "Noise.h"

#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/gtc/constants.hpp>

#include <cmath>

namespace Quessel::SceneGen {

const char* const SkyCubeMap::faceNames[6] = {"posx", "negx", "posy", "negy", "posz", "negz"};

namespace {

constexpr double pi = glm::pi<double>();

glm::dvec3 rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }

// Elevation of the distant hill line; integer frequencies keep it continuous all the way round.
double hillLine(double azimuth) {
    return 0.035 + 0.025 * std::sin(3 * azimuth + 0.7) + 0.015 * std::sin(7 * azimuth + 2.1) +
           0.008 * std::sin(13 * azimuth + 4.0);
}

}  // namespace

glm::dvec3 SkyCubeMap::direction(int face, double s, double t) {
    double sc = 2 * s - 1, tc = 2 * t - 1;
    switch (face) {
    case 0: return {1, -tc, -sc};
    case 1: return {-1, -tc, sc};
    case 2: return {sc, 1, tc};
    case 3: return {sc, -1, -tc};
    case 4: return {sc, -tc, 1};
    default: return {-sc, -tc, -1};
    }
}

glm::dvec3 SkyCubeMap::colour(const glm::dvec3& dir) {
    const glm::dvec3 d = glm::normalize(dir);
    const glm::dvec3 sun = glm::normalize(glm::dvec3(0.55, 0.42, -0.72));
    double elevation = std::asin(glm::clamp(d.y, -1.0, 1.0));
    double azimuth = std::atan2(d.z, d.x);

    // Sky: pale at the horizon, deep blue overhead, warm around the sun, soft clouds.
    double up = glm::clamp(elevation / (0.5 * pi), 0.0, 1.0);
    glm::dvec3 sky = glm::mix(rgb(200, 222, 236), rgb(58, 112, 192), std::pow(up, 0.6));
    double clouds = glm::smoothstep(0.5, 0.75, Noise::fbm3(d * 3.0, 5, 81)) * glm::smoothstep(0.02, 0.25, d.y);
    sky = glm::mix(sky, rgb(246, 246, 242), 0.75 * clouds);
    double toSun = std::max(0.0, glm::dot(d, sun));
    glm::dvec3 glow = rgb(255, 236, 196) * (0.45 * std::pow(toSun, 12.0) + 0.9 * std::pow(toSun, 300.0));
    sky = sky + glow;

    // Below: bluish hills in the haze, then darker fields fading into the distance.
    double hill = hillLine(azimuth);
    glm::dvec3 hills = glm::mix(rgb(128, 150, 150), rgb(104, 128, 112), glm::smoothstep(0.0, 0.08, hill - elevation));
    double field = Noise::fbm3(d * 8.0, 3, 82);
    glm::dvec3 ground = glm::mix(rgb(108, 122, 80), rgb(84, 92, 58), field);
    ground = glm::mix(hills, ground, glm::smoothstep(-0.02, -0.25, elevation));
    double belowHill = glm::smoothstep(hill + 0.012, hill - 0.012, elevation);
    return glm::clamp(glm::mix(sky, ground, belowHill), 0.0, 1.0);
}

Image SkyCubeMap::face(int index) {
    Image image(size, size, 3);
    for (int row = 0; row < size; ++row)
        for (int col = 0; col < size; ++col)
            image.set(col, row, colour(direction(index, (col + 0.5) / size, (row + 0.5) / size)));
    return image;
}

Image SkyCubeMap::panorama(int width, int height, double lowestElevation) {
    Image image(width, height, 3);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
            // Row 0 is the top of the picture, which the loader hands to OpenGL last: v = 1.
            const glm::dvec3 d =
                domeDirection(1.0 - (row + 0.5) / height, 2 * pi * (col + 0.5) / width, lowestElevation);
            image.set(col, row, colour(d));
        }
    return image;
}

}  // namespace Quessel::SceneGen
