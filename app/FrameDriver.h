#pragma once
#include "app/IPassObserver.h"

namespace Quessel {

class Demo;

// Drives the demo's real frames at chosen time steps on a simulated clock, so the same
// schedule renders the same frames on the same driver. The frame tests, the benchmark, the
// recorder and the study tool all step the demo through it; the demo itself runs on the
// GLFW clock.
class FrameDriver : private IPassObserver {
public:
    // `demo` must be set up. The clock restarts at `start` seconds. The driver becomes the
    // demo's pass observer: see observe().
    explicit FrameDriver(Demo& demo, double start = 0.0);
    ~FrameDriver() override;
    FrameDriver(const FrameDriver&) = delete;
    FrameDriver& operator=(const FrameDriver&) = delete;

    // Told around every pass (nullptr: nobody). The particle pass reads the GLFW clock,
    // which the driver sets back to the frame's simulated time right before it: otherwise
    // the wall time the earlier passes took would move the smoke.
    void observe(IPassObserver* next) { observer = next; }

    // One frame of dt simulated seconds. The GLFW clock (which the particle pass reads) is
    // moved on first, so every pass sees the same time. Presenting is the caller's.
    void frame(double dt);
    // Swap, poll, end test and error check of the demo; true when the run is to stop.
    bool present();

    // Frames of `step` seconds until the clock reaches `until`.
    void runUntil(double until, double step);

    // Frames until the camera path is at `row` with `into` seconds of that row done, the
    // last frame `lastStep` long (so its motion blur is that of a real frame). Frames before
    // it are at most `maxStep` long and end each row just past its end, so the path's
    // rows are never skipped. A row already past `into - lastStep` is reached on the next
    // lap. Returns the number of frames run.
    int seek(int row, double into, double lastStep, double maxStep);

    Demo& demo;
    // Simulated seconds since the clock started.
    double clock = 0.0;

private:
    void beginPass(Pass pass) override;
    void endPass(Pass pass) override;

    IPassObserver* observer = nullptr;
};

}  // namespace Quessel
