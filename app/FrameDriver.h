#pragma once
#include "app/CameraPath.h"
#include "app/FramePlan.h"
#include "app/IPassObserver.h"

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
    using StopRequest = std::function<bool()>;
    // Frames of `step` seconds while they end by `until`: from the clock's start, the
    // very frames a run at that step has shown by then, so whatever carries from frame to
    // frame (path, light, smoke, cube maps, blur) is where that run has it. Only that work
    // is done: nothing is drawn into the targets or the window, nothing presented. False
    // when `stop` cut it short.
    bool runUntil(double until, double step, const StopRequest& stop = {});

    // Simulated seconds since the clock started.
    double clock() const { return now; }

    // How many frames runUntil(until, step) runs from t = 0.
    static long framesBy(double until, double step);
    // Frames of `step` seconds after those runUntil(start, step) runs from t = 0 until the
    // camera path is back at its first row, the frame that gets there included; -1 when it
    // never does or `stop` cut the count short. Stepped on a camera of its own, without GL.
    static long framesToLapEnd(double start, double step, const CameraPath::Script& path = CameraPath::Script::demo(),
                               const StopRequest& stop = {});

    Demo& demo;

private:
    double now = 0.0;
};

}  // namespace Quessel
