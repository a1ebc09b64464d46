// Frames rendered on a fixed schedule compared with stored references. Thresholds absorb
// rasteriser noise but not a broken pass. scripts/update-golden rewrites the references.
#include "FrameDriver.h"
#include "ReferenceImage.h"

#include "core/GlConstants.h"

using namespace Quessel::Test;
using Quessel::RgbImage;

namespace {
void expectWindowMatches(const std::string& name) {
    expectMatchesReference(name, halfSize(RgbImage::readWindow(Quessel::ScreenWidth, Quessel::ScreenHeight)));
}
}  // namespace

TEST(GoldenImages, FirstMoveP1HoldAndP4Hold) {
    FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    // During the first move (blurred), at the P1 hold (sharp), at the P4 hold.
    driver.runUntil(2.4, 0.3);
    driver.frame(1.0 / 30.0);
    expectWindowMatches("first-move");
    driver.runUntil(10.0, 0.5);
    driver.frame(1.0 / 30.0);
    expectWindowMatches("p1-hold");
    driver.runUntil(41.0, 0.5);
    driver.frame(1.0 / 30.0);
    expectWindowMatches("p4-hold");
}
