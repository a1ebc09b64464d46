#include "app/FrameDriver.h"

#include "app/CameraPath.h"
#include "app/Demo.h"
#include "math/Camera.h"

namespace Quessel {

namespace {
// The path is back at its first row within this, whatever the frame rate.
constexpr double LapLimitSeconds = 200.0;

// Whether a frame of `step` starting at `clock` ends by `until`; the slack keeps the
// rounding of the summed clock from dropping the frame that ends right at `until`.
bool endsBy(double clock, double step, double until) { return clock + step <= until + 1e-9; }
}  // namespace

FrameDriver::FrameDriver(Demo& demo) : demo(demo) {}

FrameDriver::~FrameDriver() { demo.observe(nullptr); }

void FrameDriver::observe(IPassObserver* next) { demo.observe(next); }

void FrameDriver::frame(double dt) { frame(FramePlan::running(dt)); }

void FrameDriver::frame(FramePlan plan) {
    now += plan.step;
    // The smoke moves by the simulated time exactly, whatever the wall time the passes take.
    plan.time = now;
    demo.renderFrame(plan);
}

bool FrameDriver::present() { return demo.present(); }

bool FrameDriver::runUntil(double until, double step, const StopRequest& stop) {
    while (endsBy(now, step, until)) {
        if (stop && stop()) return false;
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
