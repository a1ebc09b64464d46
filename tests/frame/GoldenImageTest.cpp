// Frames rendered on a fixed schedule compared with stored references. Thresholds absorb
// rasteriser noise but not a broken pass. scripts/update-golden rewrites the references.
#include "FrameDriver.h"
#include "ImageCompare.h"

#include "scene/GlConstants.h"

#include <cstdlib>
#include <sys/stat.h>

using namespace QuesselTest;

namespace {

void expectMatchesReference(const std::string& name) {
    const RgbImage actual = halfSize(readWindow(Quessel::ScreenWidth, Quessel::ScreenHeight));
    const std::string reference = std::string(QUESSEL_GOLDEN_DIR) + "/" + name + ".png";
    if (std::getenv("QUESSEL_UPDATE_GOLDEN")) {
        ASSERT_TRUE(savePng(reference, actual)) << reference;
        return;
    }
    RgbImage expected;
    ASSERT_TRUE(loadPng(reference, expected)) << "no reference " << reference << "; run scripts/update-golden";
    const Difference difference = compare(actual, expected);
    const bool close = difference.mean < 2.0 && difference.largeFraction < 0.01;
    if (!close) {
        mkdir(QUESSEL_TEST_OUTPUT_DIR, 0755);
        savePng(std::string(QUESSEL_TEST_OUTPUT_DIR) + "/" + name + "-actual.png", actual);
        savePng(std::string(QUESSEL_TEST_OUTPUT_DIR) + "/" + name + "-difference.png", difference.image);
    }
    EXPECT_TRUE(close) << name << ": mean difference " << difference.mean << ", maximum " << difference.maximum
                       << ", " << difference.largeFraction * 100.0 << "% of channels off by more than 32"
                       << " (actual and difference images in " << QUESSEL_TEST_OUTPUT_DIR << ")";
}

}  // namespace

TEST(GoldenImages, FirstMoveP1HoldAndP4Hold) {
    FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    // During the first move (blurred), at the P1 hold (sharp), at the P4 hold.
    driver.runUntil(2.4, 0.3);
    driver.frame(1.0 / 30.0);
    expectMatchesReference("first-move");
    driver.runUntil(10.0, 0.5);
    driver.frame(1.0 / 30.0);
    expectMatchesReference("p1-hold");
    driver.runUntil(41.0, 0.5);
    driver.frame(1.0 / 30.0);
    expectMatchesReference("p4-hold");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
