#pragma once
#include "app/FramePlan.h"
#include "app/IPassObserver.h"
#include "paths/LapLength.h"

#include <functional>

namespace Quessel {

class Demo;

// Drives the demo's frames on a simulated clock, so the same schedule renders the same
// frames on the same driver. The frame tests, the benchmark, the recorder and the study
// tool all step the demo through it; the demo itself runs on the GLFW clock. The driver is
// the one owner of demo time: each frame moves it by the plan's step and hands the passes
// the time they draw at.
class FrameDriver {
public:
    // `demo` must be set up. The clock starts at 0.
    explicit FrameDriver(Demo& demo);
    ~FrameDriver();
    FrameDriver(const FrameDriver&) = delete;
    FrameDriver& operator=(const FrameDriver&) = delete;

    // Told around every pass (nullptr: nobody) while the driver lives.
    void observe(IPassObserver* next);

    // The demo's own frame of dt simulated seconds: the path, light, one cube map and the
    // smoke move by dt and the composite blurs over dt. Presenting is the caller's.
    void frame(double dt);
    // A frame as planned: the clock moves by the plan's step and the smoke is drawn at the
    // new time.
    void frame(FramePlan plan);
    // Swap, poll, end test and error check of the demo; true when the run is to stop.
    bool present();

    // Asked before each frame of a long run whether it is to stop (a tool's Ctrl-C).
    using StopRequest = LapLength::StopRequest;
    // Frames of `step` seconds while they end by `until`: from the clock's start, the
    // very frames a run at that step has shown by then, so whatever carries from frame to
    // frame (path, light, smoke, cube maps, blur) is where that run has it. Only that work
    // is done: nothing is drawn into the targets or the window, nothing presented. False
    // when `stop` cut it short.
    bool runUntil(double until, double step, const StopRequest& stop = {});

    // Simulated seconds since the clock started.
    double clock() const { return now; }

    Demo& demo;

private:
    double now = 0.0;
};

}  // namespace Quessel
