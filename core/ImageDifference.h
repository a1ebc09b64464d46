#pragma once
#include "core/RgbImage.h"

namespace Quessel {

// How far one picture is from another, channel by channel: what the picture tests and the
// benchmark's check of its shader swap judge frames by. Pictures of different sizes are
// as far apart as can be.
struct ImageDifference {
    static constexpr int Large = 32;

    int maximum = 0;             // largest channel difference
    double mean = 0.0;           // mean channel difference
    double largeChannels = 0.0;  // share of channels off by more than Large
    double largePixels = 0.0;    // share of pixels with a channel off by more than Large
    RgbImage image;              // the differences, amplified four times

    static ImageDifference between(const RgbImage& actual, const RgbImage& expected);
};

}  // namespace Quessel
