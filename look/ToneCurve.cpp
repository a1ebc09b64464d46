#include "look/ToneCurve.h"

#include <algorithm>
#include <cmath>

namespace Quessel {

namespace {
// Stephen Hill's fit of the ACES reference transform (sRGB primaries), rows as written.
const float InputMatrix[3][3] = {{0.59719f, 0.35458f, 0.04823f}, {0.07600f, 0.90834f, 0.01566f},
                                 {0.02840f, 0.13383f, 0.83777f}};
const float OutputMatrix[3][3] = {{1.60475f, -0.53108f, -0.07367f}, {-0.10208f, 1.10813f, -0.00605f},
                                  {-0.00327f, -0.07276f, 1.07602f}};

vec3 times(const float m[3][3], const vec3& v) {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

float referenceAndOutputFit(float v) {
    const float a = v * (v + 0.0245786f) - 0.000090537f;
    const float b = v * (0.983729f * v + 0.4329510f) + 0.238081f;
    return a / b;
}
}  // namespace

vec3 ToneCurve::filmic(const vec3& linear, float exposure) {
    // The fit expects scene values about 1 / 0.6 brighter than the viewers' exposure 1.
    vec3 v = times(InputMatrix, linear * (exposure / 0.6f));
    v = {referenceAndOutputFit(v.x), referenceAndOutputFit(v.y), referenceAndOutputFit(v.z)};
    return glm::clamp(times(OutputMatrix, v), vec3(0.0f), vec3(1.0f));
}

float ToneCurve::encodeSrgb(float linear) {
    const float c = std::clamp(linear, 0.0f, 1.0f);
    return c <= 0.0031308f ? 12.92f * c : 1.055f * std::pow(c, 1.0f / 2.4f) - 0.055f;
}

float ToneCurve::decodeSrgb(float encoded) {
    const float c = std::clamp(encoded, 0.0f, 1.0f);
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

vec3 ToneCurve::display(const vec3& linear, float exposure) {
    const vec3 mapped = filmic(linear, exposure);
    return vec3(encodeSrgb(mapped.x), encodeSrgb(mapped.y), encodeSrgb(mapped.z)) * 255.0f;
}

}  // namespace Quessel
