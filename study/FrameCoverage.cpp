#include "study/FrameCoverage.h"

#include <cstdlib>

namespace Quessel::Study {

FrameCoverage FrameCoverage::of(const RgbImage& depth, const std::array<unsigned char, 3>& cleared,
                                const RgbImage& colour) {
    FrameCoverage coverage;
    const size_t pixels = depth.pixels.size() / 3;
    if (pixels == 0 || colour.pixels.size() != depth.pixels.size()) return coverage;
    size_t covered = 0;
    double luma = 0.0;
    for (size_t i = 0; i < pixels; ++i) {
        const unsigned char* d = &depth.pixels[3 * i];
        // The clear colour reaches the target rounded either way.
        bool clear = true;
        for (int c = 0; c < 3; ++c) clear = clear && std::abs(d[c] - cleared[c]) <= 1;
        if (clear) continue;
        const unsigned char* rgb = &colour.pixels[3 * i];
        luma += 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
        ++covered;
    }
    coverage.share = static_cast<double>(covered) / static_cast<double>(pixels);
    coverage.brightness = covered > 0 ? luma / static_cast<double>(covered) : 0.0;
    return coverage;
}

}  // namespace Quessel::Study
