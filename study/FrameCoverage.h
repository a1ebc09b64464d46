#pragma once
#include "core/RgbImage.h"

#include <array>

namespace Quessel::Study {

// How much of a frame the scene fills and how brightly it is lit there: the pixels where
// the depth pass drew something (its target keeps the clear colour elsewhere), and the
// mean brightness of the colour target's pixels there.
struct FrameCoverage {
    double share = 0.0;       // of the window, 0 to 1
    double brightness = 0.0;  // mean luma of the covered pixels, 0 to 255

    static FrameCoverage of(const RgbImage& depth, const std::array<unsigned char, 3>& cleared, const RgbImage& colour);
};

}  // namespace Quessel::Study
