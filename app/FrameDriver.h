#pragma once
#include "app/IPassObserver.h"

namespace Quessel {

class Demo;

// Drives the demo's real frames at chosen time steps on a simulated clock, so the same
// schedule renders the same frames on the same driver. The frame tests, the benchmark, the
// recorder and the study tool all step the demo through it; the demo itself runs on the
// GLFW clock.
class FrameDriver {
public:
    // `demo` must be set up. The clock restarts at `start` seconds. The driver becomes the
    // demo's particle clock: the smoke moves by the simulated time exactly, whatever the
    // wall time the passes take.
    explicit FrameDriver(Demo& demo, double start = 0.0);
    ~FrameDriver();
    FrameDriver(const FrameDriver&) = delete;
    FrameDriver& operator=(const FrameDriver&) = delete;

    // Told around every pass (nullptr: nobody) while the driver lives.
    void observe(IPassObserver* next);

    // One frame of dt simulated seconds, the GLFW clock set to the new time first.
    // Presenting is the caller's.
    void frame(double dt);
    // Swap, poll, end test and error check of the demo; true when the run is to stop.
    bool present();

    // Frames of `step` seconds while they end by `until`: from the clock's start, the
    // very frames a run at that step has shown by then, so whatever carries from frame to
    // frame (path, light, smoke, cube maps, blur) is where that run has it. Not presented.
    // False when Ctrl-C (a tool's stop signal) cut it short.
    bool runUntil(double until, double step);

    // How many frames runUntil(until, step) runs from t = 0.
    static long framesBy(double until, double step);
    // Frames of `step` seconds after those runUntil(start, step) runs from t = 0 until the
    // camera path is back at its first row, the frame that gets there included; -1 when it
    // never does. Stepped on a camera of its own, without GL.
    static int framesToLapEnd(double start, double step);

    Demo& demo;
    // Simulated seconds since the clock started.
    double clock = 0.0;
};

}  // namespace Quessel
