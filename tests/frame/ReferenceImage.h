#pragma once
// Comparison of a rendered frame with a stored reference in tests/golden/, shared by every
// picture test of whole frames. QUESSEL_UPDATE_GOLDEN=1 (scripts/update-golden) writes the
// references instead of comparing.
#include "core/ImageDifference.h"
#include "core/RgbImage.h"

#include <string>

namespace Quessel::Test {

// Each 2 x 2 block averaged (odd last rows and columns dropped): frames are compared at
// half size, a quarter of the window's pixels.
RgbImage halfSize(const RgbImage& image);

// A PNG file with its rows bottom-up, as RgbImage keeps them; empty when it cannot be read.
RgbImage loadPng(const std::string& path);

// Whether a difference is within what rasteriser noise explains.
bool withinReferenceThresholds(const ImageDifference& difference);

// Compares `actual` with tests/golden/<name>.png by the thresholds above; on failure writes
// <name>-actual.png and <name>-difference.png into build/tests/output/ and fails the test.
void expectMatchesReference(const std::string& name, const RgbImage& actual);

}  // namespace Quessel::Test
