#include "core/ImageDifference.h"

#include <algorithm>
#include <cstdlib>

namespace Quessel {

ImageDifference ImageDifference::between(const RgbImage& actual, const RgbImage& expected) {
    ImageDifference result;
    if (actual.width != expected.width || actual.height != expected.height ||
        actual.pixels.size() != expected.pixels.size() || actual.pixels.empty()) {
        result.maximum = 255;
        result.mean = 255.0;
        result.largeChannels = result.largePixels = 1.0;
        return result;
    }
    result.image = actual;
    long long total = 0;
    size_t largeChannels = 0;
    size_t largePixels = 0;
    for (size_t pixel = 0; pixel < actual.pixels.size(); pixel += 3) {
        bool large = false;
        for (size_t i = pixel; i < pixel + 3; ++i) {
            const int d = std::abs(int(actual.pixels[i]) - int(expected.pixels[i]));
            result.maximum = std::max(result.maximum, d);
            total += d;
            large = large || d > Large;
            largeChannels += d > Large;
            result.image.pixels[i] = static_cast<unsigned char>(std::min(255, d * 4));
        }
        largePixels += large;
    }
    const double channels = static_cast<double>(actual.pixels.size());
    result.mean = static_cast<double>(total) / channels;
    result.largeChannels = static_cast<double>(largeChannels) / channels;
    result.largePixels = static_cast<double>(largePixels) / (channels / 3.0);
    return result;
}

}  // namespace Quessel
