#include "app/FrameDriver.h"

#include "app/CameraPath.h"
#include "app/Demo.h"
#include "core/ToolReport.h"
#include "math/Camera.h"

#include <GLFW/glfw3.h>

#include <algorithm>

namespace Quessel {

namespace {
// The path is back at its first row within this, whatever the frame rate.
constexpr double LapLimitSeconds = 200.0;

// Whether a frame of `step` starting at `clock` ends by `until`; the slack keeps the
// rounding of the summed clock from dropping the frame that ends right at `until`.
bool endsBy(double clock, double step, double until) { return clock + step <= until + 1e-9; }
}  // namespace

FrameDriver::FrameDriver(Demo& demo, double start) : demo(demo), clock(start) {
    glfwSetTime(clock);
    demo.particleClock = &clock;
}

FrameDriver::~FrameDriver() {
    demo.observer = nullptr;
    if (demo.particleClock == &clock) demo.particleClock = nullptr;
}

void FrameDriver::observe(IPassObserver* next) { demo.observer = next; }

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

}  // namespace Quessel
