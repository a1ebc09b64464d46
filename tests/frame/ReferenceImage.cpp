#include "ReferenceImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace QuesselTest {

bool withinReferenceThresholds(const Difference& difference) {
    return difference.mean < 2.0 && difference.largeFraction < 0.01;
}

void expectMatchesReference(const std::string& name, const RgbImage& actual) {
    const std::string reference = std::string(QUESSEL_GOLDEN_DIR) + "/" + name + ".png";
    if (std::getenv("QUESSEL_UPDATE_GOLDEN")) {
        ASSERT_TRUE(savePng(reference, actual)) << reference;
        return;
    }
    RgbImage expected;
    ASSERT_TRUE(loadPng(reference, expected)) << "no reference " << reference << "; run scripts/update-golden";
    const Difference difference = compare(actual, expected);
    const bool close = withinReferenceThresholds(difference);
    if (!close) {
        mkdir(QUESSEL_TEST_OUTPUT_DIR, 0755);
        savePng(std::string(QUESSEL_TEST_OUTPUT_DIR) + "/" + name + "-actual.png", actual);
        savePng(std::string(QUESSEL_TEST_OUTPUT_DIR) + "/" + name + "-difference.png", difference.image);
    }
    EXPECT_TRUE(close) << name << ": mean difference " << difference.mean << ", maximum " << difference.maximum
                       << ", " << difference.largeFraction * 100.0 << "% of channels off by more than 32"
                       << " (actual and difference images in " << QUESSEL_TEST_OUTPUT_DIR << ")";
}

}  // namespace QuesselTest
