#pragma once
#include "math/MathTypes.h"

namespace Quessel {

// The look's colour pipeline on the CPU, the same numbers as Shader/Look/tonemap.glsl:
// linear light -> exposure -> filmic curve (the ACES fit that web viewers use) -> sRGB.
// Tests compare rendered pixels with it; loaders use the sRGB decoding.
class ToneCurve {
public:
    // Display-linear colour in [0, 1] for linear light scaled by `exposure`.
    static vec3 filmic(const vec3& linear, float exposure = 1.0f);
    static float encodeSrgb(float linear);
    static float decodeSrgb(float encoded);
    // Linear light to the 8-bit value the look writes.
    static vec3 display(const vec3& linear, float exposure = 1.0f);
};

}  // namespace Quessel
