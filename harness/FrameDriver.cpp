#include "harness/FrameDriver.h"

#include "app/Demo.h"
#include "paths/LapLength.h"

namespace Quessel {

FrameDriver::FrameDriver(Demo& demo) : demo(demo) {}

FrameDriver::~FrameDriver() { demo.observe(nullptr); }

void FrameDriver::observe(IPassObserver* next) { demo.observe(next); }

void FrameDriver::frame(double dt) { frame(FramePlan::running(dt)); }

void FrameDriver::frame(FramePlan plan) {
    now += plan.step;
    // The smoke moves by the simulated time exactly, whatever the wall time the passes take.
    const double time = now;
    plan.time = [time] { return time; };
    demo.renderFrame(plan);
}

bool FrameDriver::present() { return demo.present(); }

bool FrameDriver::runUntil(double until, double step, const StopRequest& stop) {
    FramePlan reaching = FramePlan::running(step);
    reaching.draw = false;
    while (LapLength::endsBy(now, step, until)) {
        if (stop && stop()) return false;
        frame(reaching);
    }
    return true;
}

}  // namespace Quessel
