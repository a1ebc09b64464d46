#pragma once
// Comparison of a rendered frame with a stored reference in tests/golden/, shared by every
// picture test of whole frames. QUESSEL_UPDATE_GOLDEN=1 (scripts/update-golden) writes the
// references instead of comparing.
#include "core/ImageDifference.h"
#include "core/RgbImage.h"

#include <string>

namespace Quessel::Test {

// Whether a difference is within what rasteriser noise explains.
bool withinReferenceThresholds(const ImageDifference& difference);

// Compares `actual` with tests/golden/<name>.png by the thresholds above; on failure writes
// <name>-actual.png and <name>-difference.png into build/tests/output/ and fails the test.
void expectMatchesReference(const std::string& name, const RgbImage& actual);

}  // namespace Quessel::Test
