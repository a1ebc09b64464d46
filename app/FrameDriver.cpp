#include "app/FrameDriver.h"

#include "app/CameraPath.h"
#include "app/Demo.h"
#include "math/Camera.h"

#include <cmath>

namespace Quessel {

namespace {
// A path is back at its first row within its own length, a frame a row and this.
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

long FrameDriver::framesToLapEnd(double start, double step, const CameraPath::Script& script, const StopRequest& stop) {
    Camera camera;
    CameraPath path(camera, script);
    path.start();
    // Every row takes a frame at least and at most one more than its seconds' worth (the
    // float clock of a row of an hour runs a few per cent slow at 240 fps).
    const double limit = std::ceil((script.seconds() * 1.05 + LapSlackSeconds) / step) + 2.0 * script.rows.size();
    // The demo hands the path each step as a float.
    const float dt = static_cast<float>(step);
    const auto stopped = [&stop](long frame) { return frame % 4096 == 0 && stop && stop(); };
    const long before = framesBy(start, step);
    for (long frame = 0; frame < before; ++frame) {
        if (stopped(frame)) return -1;
        path.advance(dt);
    }
    const int laps = path.laps;
    for (long frames = 1; frames <= limit; ++frames) {
        if (stopped(frames)) return -1;
        path.advance(dt);
        if (path.laps > laps) return frames;
    }
    return -1;
}

}  // namespace Quessel
