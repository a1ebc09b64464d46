#include "look/CubeImage.h"

#include "look/IEnvironment.h"

#include <algorithm>
#include <cmath>

namespace Quessel {

CubeImage::CubeImage(int size) : size(size) {
    for (auto& face : faces) face.assign(static_cast<size_t>(size) * size, vec3(0.0f));
}

vec3 CubeImage::direction(int face, float s, float t) {
    switch (face) {
    case 0: return {1.0f, -t, -s};
    case 1: return {-1.0f, -t, s};
    case 2: return {s, 1.0f, t};
    case 3: return {s, -1.0f, -t};
    case 4: return {s, -t, 1.0f};
    default: return {-s, -t, -1.0f};
    }
}

vec3 CubeImage::texelDirection(int face, int x, int y) const {
    const float s = 2.0f * (static_cast<float>(x) + 0.5f) / static_cast<float>(size) - 1.0f;
    const float t = 2.0f * (static_cast<float>(y) + 0.5f) / static_cast<float>(size) - 1.0f;
    return glm::normalize(direction(face, s, t));
}

namespace {
// The solid angle of the face rectangle from its centre to (s, t).
float cornerArea(float s, float t) { return std::atan2(s * t, std::sqrt(s * s + t * t + 1.0f)); }
}  // namespace

float CubeImage::texelSolidAngle(int x, int y) const {
    const float step = 2.0f / static_cast<float>(size);
    const float s0 = -1.0f + x * step;
    const float t0 = -1.0f + y * step;
    return cornerArea(s0, t0) - cornerArea(s0 + step, t0) - cornerArea(s0, t0 + step) +
           cornerArea(s0 + step, t0 + step);
}

CubeImage CubeImage::fromEnvironment(const IEnvironment& environment, int size, int samples) {
    CubeImage cube(size);
    const float step = 2.0f / static_cast<float>(size);
    for (int face = 0; face < 6; ++face) {
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                vec3 sum(0.0f);
                for (int j = 0; j < samples; ++j) {
                    for (int i = 0; i < samples; ++i) {
                        const float s = -1.0f + step * (x + (i + 0.5f) / samples);
                        const float t = -1.0f + step * (y + (j + 0.5f) / samples);
                        sum += environment.radiance(glm::normalize(direction(face, s, t)));
                    }
                }
                cube.at(face, x, y) = sum / static_cast<float>(samples * samples);
            }
        }
    }
    return cube;
}

CubeImage CubeImage::halved() const {
    CubeImage half(std::max(1, size / 2));
    for (int face = 0; face < 6; ++face) {
        for (int y = 0; y < half.size; ++y) {
            for (int x = 0; x < half.size; ++x) {
                const int x0 = std::min(2 * x, size - 1);
                const int y0 = std::min(2 * y, size - 1);
                const int x1 = std::min(x0 + 1, size - 1);
                const int y1 = std::min(y0 + 1, size - 1);
                half.at(face, x, y) =
                    (at(face, x0, y0) + at(face, x1, y0) + at(face, x0, y1) + at(face, x1, y1)) * 0.25f;
            }
        }
    }
    return half;
}

vec3 CubeImage::sample(const vec3& d) const {
    const vec3 a = glm::abs(d);
    int face;
    float sc;
    float tc;
    float ma;
    if (a.x >= a.y && a.x >= a.z) {
        face = d.x > 0.0f ? 0 : 1;
        ma = a.x;
        sc = d.x > 0.0f ? -d.z : d.z;
        tc = -d.y;
    } else if (a.y >= a.z) {
        face = d.y > 0.0f ? 2 : 3;
        ma = a.y;
        sc = d.x;
        tc = d.y > 0.0f ? d.z : -d.z;
    } else {
        face = d.z > 0.0f ? 4 : 5;
        ma = a.z;
        sc = d.z > 0.0f ? d.x : -d.x;
        tc = -d.y;
    }
    const float limit = static_cast<float>(size - 1);
    const float x = std::clamp((sc / ma + 1.0f) * 0.5f * size - 0.5f, 0.0f, limit);
    const float y = std::clamp((tc / ma + 1.0f) * 0.5f * size - 0.5f, 0.0f, limit);
    const int x0 = static_cast<int>(x);
    const int y0 = static_cast<int>(y);
    const int x1 = std::min(x0 + 1, size - 1);
    const int y1 = std::min(y0 + 1, size - 1);
    const float fx = x - x0;
    const float fy = y - y0;
    const vec3 top = glm::mix(at(face, x0, y0), at(face, x1, y0), fx);
    const vec3 bottom = glm::mix(at(face, x0, y1), at(face, x1, y1), fx);
    return glm::mix(top, bottom, fy);
}

}  // namespace Quessel
