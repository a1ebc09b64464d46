#include "app/FrameDriver.h"

#include "app/CameraPath.h"
#include "app/Demo.h"
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
}  // namespace

FrameDriver::FrameDriver(Demo& demo, double start) : demo(demo), clock(start) {
    glfwSetTime(clock);
    demo.observer = this;
}

FrameDriver::~FrameDriver() {
    if (demo.observer == this) demo.observer = nullptr;
}

void FrameDriver::beginPass(Pass pass) {
    if (observer) observer->beginPass(pass);
    if (pass == Pass::Particles) glfwSetTime(clock);
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

void FrameDriver::runUntil(double until, double step) {
    while (clock + step <= until + 1e-9) frame(step);
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
