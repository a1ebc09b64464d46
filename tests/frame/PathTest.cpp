// Every stretch of the camera path in real frames: one frame in the middle of each of the
// seventeen rows and the first frame after the loop wraps. Each is compared with a stored
// reference, and checked without pictures against the path as written down here (not
// CameraPath's table): where the camera stands and looks, how long each row lasts, and
// that the composite blurs exactly while the camera moves or turns.
//
// QUESSEL_PATH_FRAMES=<folder> also saves each checked frame there at half size (the
// storyboard of scripts/record --docs is made from them).
#include "FrameDriver.h"
#include "PathScript.h"
#include "ReferenceImage.h"

#include "app/OffscreenFramebuffer.h"
#include "core/GlConstants.h"
#include "math/Camera.h"

#include <cmath>
#include <cstdlib>
#include <string>

using namespace Quessel::Test;
using namespace Quessel::Test::PathScript;
using Quessel::ImageDifference;
using Quessel::RgbImage;
using Quessel::ScreenHeight;
using Quessel::ScreenWidth;

namespace {

constexpr double FrameStep = 1.0 / 30.0;
// How close to its end a row is probed: just before (still running) and just after.
constexpr double EndProbe = 0.01;

// Where a view matrix puts the eye and which way it looks (its third row is the negated
// viewing direction).
void expectView(const Quessel::mat4& view, const Pose& expected, const char* which) {
    SCOPED_TRACE(which);
    const Quessel::vec4 eye = glm::inverse(view)[3];
    EXPECT_NEAR(eye.x, expected.position.x, 1e-3);
    EXPECT_NEAR(eye.y, expected.position.y, 1e-3);
    EXPECT_NEAR(eye.z, expected.position.z, 1e-3);
    EXPECT_NEAR(-view[0][2], expected.forward.x, 1e-3);
    EXPECT_NEAR(-view[1][2], expected.forward.y, 1e-3);
    EXPECT_NEAR(-view[2][2], expected.forward.z, 1e-3);
}

// The checked frame: pose now and one frame earlier (which tells a turn's sense and a
// move's heading), pictures and blur.
void checkFrame(const Quessel::Demo& demo, const std::string& name, Kind kind, const Pose& expected,
                const Pose& previous) {
    SCOPED_TRACE(name);
    const Quessel::Camera& camera = demo.view().camera();
    EXPECT_NEAR(camera.position.x, expected.position.x, 1e-3);
    EXPECT_NEAR(camera.position.y, expected.position.y, 1e-3);
    EXPECT_NEAR(camera.position.z, expected.position.z, 1e-3);
    expectView(camera.view, expected, "view");
    expectView(camera.previousView, previous, "previous view");

    const RgbImage window = RgbImage::readWindow(ScreenWidth, ScreenHeight);
    glActiveTexture(GL_TEXTURE0);
    const ImageDifference blur = ImageDifference::between(window, RgbImage::readTexture(demo.view().colorTarget()));
    if (kind == Kind::Hold) {
        EXPECT_EQ(blur.maximum, 0) << "a hold is shown sharp: the window equals the colour target";
    } else {
        EXPECT_GT(blur.mean, 0.25) << "a move or turn is blurred: the window differs from the colour target";
    }

    const RgbImage half = halfSize(window);
    if (const char* folder = std::getenv("QUESSEL_PATH_FRAMES"))
        half.savePng(std::string(folder) + "/" + name + ".png");
    expectMatchesReference(name, halfSize(half));
}

}  // namespace

TEST(CameraPathFrames, EveryRowInItsMiddleAndTheFirstFrameAfterTheWrap) {
    FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    const Quessel::Demo& demo = driver.demo;

    Pose pose = startPose();
    // Time a row has already run when it begins: a hold right after a move or turn counts
    // the whole frame in which that one finished.
    double carried = 0.0;
    for (int r = 0; r < RowCount; ++r) {
        const Row& row = rows[r];
        SCOPED_TRACE(row.name);
        const double middle = row.duration / 2.0;
        // One long step to a frame's length before the middle, then a real frame's length.
        driver.frame(middle - FrameStep - carried);
        ASSERT_EQ(demo.view().path().step, r) << "the path left the row before its middle";
        driver.frame(FrameStep);
        ASSERT_EQ(demo.view().path().step, r);
        checkFrame(demo, row.name, row.kind, poseIn(row, float(middle), pose),
                   poseIn(row, float(middle - FrameStep), pose));

        // The row lasts its duration: still running just before its end, over just after.
        driver.frame(row.duration - middle - EndProbe);
        ASSERT_EQ(demo.view().path().step, r) << "the row ended early";
        driver.frame(2.0 * EndProbe);
        const int next = (r + 1) % RowCount;
        ASSERT_EQ(demo.view().path().step, next) << "the row did not end on time";
        pose = poseIn(row, row.duration, pose);
        carried = row.kind != Kind::Hold && rows[next].kind == Kind::Hold ? 2.0 * EndProbe : 0.0;
    }

    driver.frame(FrameStep);
    ASSERT_EQ(demo.view().path().step, 0);
    checkFrame(demo, "path-17-wrap-p0", Kind::Move, poseIn(rows[0], float(FrameStep), pose), pose);
}
