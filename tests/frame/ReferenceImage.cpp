#include "ReferenceImage.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdio>
#include <cstdlib>

namespace Quessel::Test {

// Measured on llvmpipe (LLVM 15) with the particle clock pinned: the default, 1 and 4
// rasteriser threads (LP_NUM_THREADS) and 128-bit vectors (LP_NATIVE_VECTOR_WIDTH) all
// render the three frames bit for bit alike (mean 0, maximum 0). Small real faults gave:
// sprite left unbound mean 0.0133 and 0.0142 % of channels off by more than 32; motion
// blur 10 % weaker (fps 0.9 / dt) mean 0.127; cube maps refreshed in the wrong turn mean
// 0.30; light circling at 0.4 instead of 0.5 rad/s mean 3.45 and 0.061 %. Below these
// thresholds stay: particle lifetime 9 s instead of 10 (mean 0.0019), the smoke 0.1 s
// off (0.0012) and a polygon offset of 2 units instead of 4 (0.0001); number tests
// catch those.
bool withinReferenceThresholds(const ImageDifference& difference) {
    return difference.mean < 0.005 && difference.largeChannels < 0.00002;
}

void expectMatchesReference(const std::string& name, const RgbImage& actual) {
    const std::string reference = std::string(QUESSEL_GOLDEN_DIR) + "/" + name + ".png";
    if (std::getenv("QUESSEL_UPDATE_GOLDEN")) {
        ASSERT_TRUE(actual.savePng(reference)) << reference;
        return;
    }
    RgbImage expected;
    ASSERT_TRUE(expected.loadPng(reference)) << "no reference " << reference << "; run scripts/update-golden";
    const ImageDifference difference = ImageDifference::between(actual, expected);
    const bool close = withinReferenceThresholds(difference);
    // The figures of every comparison, for re-measuring the thresholds against the noise.
    std::printf("%s: mean difference %.4f, maximum %d, %.4f%% of channels off by more than 32\n", name.c_str(),
                difference.mean, difference.maximum, difference.largeChannels * 100.0);
    if (!close) {
        mkdir(QUESSEL_TEST_OUTPUT_DIR, 0755);
        actual.savePng(std::string(QUESSEL_TEST_OUTPUT_DIR) + "/" + name + "-actual.png");
        difference.image.savePng(std::string(QUESSEL_TEST_OUTPUT_DIR) + "/" + name + "-difference.png");
    }
    EXPECT_TRUE(close) << name << ": mean difference " << difference.mean << ", maximum " << difference.maximum << ", "
                       << difference.largeChannels * 100.0 << "% of channels off by more than 32"
                       << " (actual and difference images in " << QUESSEL_TEST_OUTPUT_DIR << ")";
}

}  // namespace Quessel::Test
