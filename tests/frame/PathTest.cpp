// Every stretch of the camera path in real frames: one frame in the middle of each of the
// seventeen rows and the first frame after the loop wraps. Each is compared with a stored
// reference, and checked without pictures against the path as written down here (not
// CameraPath's table): where the camera stands and looks, how long each row lasts, and
// that the composite blurs exactly while the camera moves or turns.
//
// QUESSEL_PATH_FRAMES=<folder> also saves each checked frame there at half size (the
// storyboard of scripts/record --docs is made from them).
#include "FrameDriver.h"
#include "ReferenceImage.h"

#include "app/OffscreenFramebuffer.h"
#include "core/GlConstants.h"
#include "math/Camera.h"

#include <cmath>
#include <cstdlib>
#include <string>

using namespace Quessel::Test;
using Quessel::ImageDifference;
using Quessel::RgbImage;
using Quessel::ScreenHeight;
using Quessel::ScreenWidth;

namespace {

struct Vec {
    double x, y, z;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }
Vec unit(Vec a) { return a * (1.0 / std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z)); }

// The path's points and directions, typed in from the path's description.
const Vec P[6] = {
    {8.865234, 9.347880, 19.188326}, {1.167896, 4.862509, 7.776461},  {-2.077967, 2.140573, 14.752897},
    {-4.114920, 6.584050, 8.871492}, {-2.732610, 5.016881, 0.116311}, {-3.752654, 6.259526, 14.664780},
};
const Vec V[9] = {
    {-0.535610, -0.309817, -0.785580}, {-0.391355, -0.361615, 0.846212}, {-0.421221, -0.333487, 0.843421},
    {-0.775205, -0.276356, -0.568053}, {-0.266355, 0.581035, -0.769060}, {0.153433, -0.179030, -0.971806},
    {0.153571, -0.174108, -0.972678},  {-0.069689, 0.084897, 0.993950},  {12.617888, 3.088354, 4.523546},
};

enum Kind { Move, Turn, Hold };
struct Row {
    Kind kind;
    double duration;
    int from, to;      // points of a move, directions of a turn
    const char* name;  // of the reference picture
};
const Row Rows[17] = {
    {Move, 5, 0, 1, "path-00-move-p0-p1"}, {Hold, 12, 0, 0, "path-01-hold-p1"},   {Turn, 1, 0, 1, "path-02-turn-p1"},
    {Move, 2, 1, 2, "path-03-move-p1-p2"}, {Hold, 4, 0, 0, "path-04-hold-p2"},    {Turn, 1, 2, 3, "path-05-turn-p2"},
    {Hold, 8, 0, 0, "path-06-hold-p2"},    {Turn, 1, 3, 4, "path-07-turn-p2"},    {Move, 1, 2, 3, "path-08-move-p2-p3"},
    {Turn, 1, 4, 5, "path-09-turn-p3"},    {Move, 1, 3, 4, "path-10-move-p3-p4"}, {Hold, 8, 0, 0, "path-11-hold-p4"},
    {Turn, 1, 6, 7, "path-12-turn-p4"},    {Move, 1, 4, 5, "path-13-move-p4-p5"}, {Turn, 1, 7, 8, "path-14-turn-p5"},
    {Move, 1, 5, 0, "path-15-move-p5-p0"}, {Turn, 1, 8, 0, "path-16-turn-p0"},
};

constexpr double FrameStep = 1.0 / 30.0;
// How close to its end a row is probed: just before (still running) and just after.
constexpr double EndProbe = 0.01;

// Where the camera stands and looks after `into` seconds of `row`, given where it stood
// and looked when the row began.
struct Pose {
    Vec position;
    Vec forward;
};
Pose poseIn(const Row& row, double into, Pose before) {
    const double t = into / row.duration;
    switch (row.kind) {
    case Move: return {P[row.from] + (P[row.to] - P[row.from]) * t, unit(P[row.to] - P[row.from])};
    case Turn: return {before.position, unit(V[row.from] + (V[row.to] - V[row.from]) * t)};
    case Hold: break;
    }
    return before;
}

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
    const Quessel::Camera& camera = demo.camera;
    EXPECT_NEAR(camera.position.x, expected.position.x, 1e-3);
    EXPECT_NEAR(camera.position.y, expected.position.y, 1e-3);
    EXPECT_NEAR(camera.position.z, expected.position.z, 1e-3);
    expectView(camera.view, expected, "view");
    expectView(camera.previousView, previous, "previous view");

    const RgbImage window = RgbImage::readWindow(ScreenWidth, ScreenHeight);
    glActiveTexture(GL_TEXTURE0);
    const ImageDifference blur = ImageDifference::between(window, RgbImage::readTexture(demo.colorTarget->texture));
    if (kind == Hold) {
        EXPECT_EQ(blur.maximum, 0) << "a hold is shown sharp: the window equals the colour target";
    } else {
        EXPECT_GT(blur.mean, 0.25) << "a move or turn is blurred: the window differs from the colour target";
    }

    const RgbImage half = window.halfSize();
    if (const char* folder = std::getenv("QUESSEL_PATH_FRAMES"))
        half.savePng(std::string(folder) + "/" + name + ".png");
    expectMatchesReference(name, half.halfSize());
}

}  // namespace

TEST(CameraPathFrames, EveryRowInItsMiddleAndTheFirstFrameAfterTheWrap) {
    FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    const Quessel::Demo& demo = driver.demo;

    Pose pose{P[0], unit(P[1] - P[0])};
    // Time a row has already run when it begins: a hold right after a move or turn counts
    // the whole frame in which that one finished.
    double carried = 0.0;
    for (int r = 0; r < 17; ++r) {
        const Row& row = Rows[r];
        SCOPED_TRACE(row.name);
        const double middle = row.duration / 2.0;
        // One long step to a frame's length before the middle, then a real frame's length.
        driver.frame(middle - FrameStep - carried);
        ASSERT_EQ(demo.path.step, r) << "the path left the row before its middle";
        driver.frame(FrameStep);
        ASSERT_EQ(demo.path.step, r);
        checkFrame(demo, row.name, row.kind, poseIn(row, middle, pose), poseIn(row, middle - FrameStep, pose));

        // The row lasts its duration: still running just before its end, over just after.
        driver.frame(row.duration - middle - EndProbe);
        ASSERT_EQ(demo.path.step, r) << "the row ended early";
        driver.frame(2.0 * EndProbe);
        const int next = (r + 1) % 17;
        ASSERT_EQ(demo.path.step, next) << "the row did not end on time";
        pose = poseIn(row, row.duration, pose);
        carried = row.kind != Hold && Rows[next].kind == Hold ? 2.0 * EndProbe : 0.0;
    }

    driver.frame(FrameStep);
    ASSERT_EQ(demo.path.step, 0);
    checkFrame(demo, "path-17-wrap-p0", Move, poseIn(Rows[0], FrameStep, pose), pose);
}
