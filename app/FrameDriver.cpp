#include "app/FrameDriver.h"

#include "app/CameraPath.h"
#include "app/Demo.h"
#include "core/ToolReport.h"
#include "math/Camera.h"

#include <GLFW/glfw3.h>

#include <algorithm>

namespace Quessel {

namespace {
// A step finishes when its accumulated time exceeds its duration; this much beyond the
// end makes sure it does, whatever the float rounding of the camera's timer.
constexpr double PastTheEnd = 1e-3;
// Seconds within which a seek counts as having arrived.
constexpr double SeekTolerance = 1e-4;
// A seek reaches any row within two laps of the path, even at 1/30 s frames.
constexpr int SeekFrameLimit = 4000;
// The path is back at its first row within this, whatever the frame rate.
constexpr double LapLimitSeconds = 200.0;

// Whether a frame of `step` starting at `clock` ends by `until`; the slack keeps the
// rounding of the summed clock from dropping the frame that ends right at `until`.
bool endsBy(double clock, double step, double until) { return clock + step <= until + 1e-9; }
}  // namespace

FrameDriver::FrameDriver(Demo& demo, double start) : demo(demo), clock(start) {
    glfwSetTime(clock);
    demo.observer = this;
    demo.particleClock = &clock;
}

FrameDriver::~FrameDriver() {
    if (demo.observer == this) demo.observer = nullptr;
    if (demo.particleClock == &clock) demo.particleClock = nullptr;
}

void FrameDriver::beginPass(Pass pass) {
    if (observer) observer->beginPass(pass);
}

void FrameDriver::endPass(Pass pass) {
    if (observer) observer->endPass(pass);
}

void FrameDriver::frame(double dt) {
    clock += dt;
    glfwSetTime(clock);
    demo.renderFrame(dt);
}

bool FrameDriver::present() { return demo.present(); }

bool FrameDriver::runUntil(double until, double step) {
    while (endsBy(clock, step, until)) {
        if (ToolReport::stopSignal()) return false;
        frame(step);
    }
    return true;
}

long FrameDriver::framesBy(double until, double step) {
    long frames = 0;
    for (double at = 0.0; endsBy(at, step, until); at += step) ++frames;
    return frames;
}

int FrameDriver::framesToLapEnd(double start, double step) {
    Camera camera;
    CameraPath path(camera);
    path.start();
    // The demo hands the path each step as a float.
    const float dt = static_cast<float>(step);
    for (long frame = framesBy(start, step); frame > 0; --frame) path.advance(dt);
    int previous = path.step;
    for (int frames = 1; frames * step <= LapLimitSeconds; ++frames) {
        path.advance(dt);
        if (path.step == 0 && previous != 0) return frames;
        previous = path.step;
    }
    return -1;
}

int FrameDriver::seek(int row, double into, double lastStep, double maxStep) {
    // The last frame starts this far into the row.
    const double lastStart = std::max(into - lastStep, 0.0);
    for (int frames = 0; frames < SeekFrameLimit; ++frames) {
        const int current = demo.path.step;
        const CameraPath::Step& now = CameraPath::steps[current];
        const double done = static_cast<double>(demo.camera.pathTime);
        if (current == row && done <= lastStart + SeekTolerance) {
            const double before = lastStart - done;
            if (before <= SeekTolerance) {
                frame(lastStep);
                return frames + 1;
            }
            frame(std::min(before, maxStep));
            continue;
        }
        // Finish the current row just past its end: the excess is dropped, except that a
        // hold right after a move or turn counts the whole finishing frame. When that hold
        // is the row sought, end the row with a frame short enough not to pass the target.
        const double remaining = static_cast<double>(now.duration) - done;
        const bool holdFollows =
            now.kind != CameraPath::Kind::Hold && CameraPath::steps[now.next].kind == CameraPath::Kind::Hold;
        const double counted = holdFollows && now.next == row ? lastStart : maxStep;
        if (remaining + PastTheEnd > counted && remaining > counted / 2.0 + PastTheEnd)
            frame(std::min(remaining - counted / 2.0, maxStep));
        else
            frame(std::min(remaining + PastTheEnd, std::max(counted, PastTheEnd)));
    }
    return -1;
}

}  // namespace Quessel
