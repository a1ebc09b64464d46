#pragma once
#include "app/FrameDriver.h"
#include "bench/BenchOptions.h"
#include "bench/FrameSample.h"

#include <vector>

namespace Quessel {
class Demo;
}

namespace QuesselBench {

class FloorFrame;
class PassTimer;

// Drives the real demo, already set up, through the measured sequence with a simulated
// clock, then the floor frames in the same window.
//
// The sequence: fast-forward with 1 s frames (not measured) until the camera is 1 s
// before the end of its 12 s hold at P1 (simulated t = 16 s), then `frames` frames of
// `step` seconds. With the defaults (300 x 0.05 s, t = 16 s .. 31 s) they cover the end
// of that hold, the turn towards P2, the move to P2, the 4 s hold there, the next turn
// and most of the following hold: a hold, turns and a move in every run. The floor
// frames follow after five unmeasured ones.
class BenchRun {
public:
    BenchRun(Quessel::Demo& demo, const BenchOptions& options);

    // False when the window was closed or Escape pressed.
    bool fastForward();
    std::vector<FrameSample> measureDemo(PassTimer& timer);
    std::vector<FrameSample> measureFloor(FloorFrame& floor);

    // Steps the demo on the simulated clock; the particle pass reads it through glfwGetTime.
    Quessel::FrameDriver driver;
    bool stopped = false;

private:
    // One unmeasured frame of dt seconds.
    void advance(double dt);
    FrameSample demoFrame(PassTimer& timer);

    Quessel::Demo& demo;
    BenchOptions options;
};

}  // namespace QuesselBench
