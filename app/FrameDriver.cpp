#include "app/FrameDriver.h"

#include "app/CameraPath.h"
#include "app/Demo.h"
#include "math/Camera.h"

namespace Quessel {

namespace {
// A path is back at its first row within its own length and this, whatever the frame rate.
constexpr double LapSlackSeconds = 200.0;

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
    FramePlan reaching = FramePlan::running(step);
    reaching.draw = false;
    while (endsBy(now, step, until)) {
        if (stop && stop()) return false;
        frame(reaching);
    }
    return true;
}

long FrameDriver::framesBy(double until, double step) {
    long frames = 0;
    for (double at = 0.0; endsBy(at, step, until); at += step) ++frames;
    return frames;
}

int FrameDriver::framesToLapEnd(double start, double step, const CameraPath::Script& script) {
    Camera camera;
    CameraPath path(camera, script);
    path.start();
    const double limit = script.seconds() + LapSlackSeconds;
    // The demo hands the path each step as a float.
    const float dt = static_cast<float>(step);
    for (long frame = framesBy(start, step); frame > 0; --frame) path.advance(dt);
    const int laps = path.laps;
    for (int frames = 1; frames * step <= limit; ++frames) {
        path.advance(dt);
        if (path.laps > laps) return frames;
    }
    return -1;
}

}  // namespace Quessel
