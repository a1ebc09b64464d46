#pragma once
#include "app/FrameDriver.h"
#include "bench/BenchOptions.h"
#include "bench/FrameSample.h"

#include <array>
#include <string>
#include <vector>

namespace Quessel {
class Demo;
class PassTimer;
}  // namespace Quessel

namespace Quessel::Bench {

class FloorFrame;
class ProgramSwapper;

// Drives the real demo, already set up, through the measured sequence with a simulated
// clock, in short blocks of each frame kind in turn.
//
// The sequence: fast-forward with 1 s frames (not measured) until the camera is 1 s
// before the end of its 12 s hold at P1 (simulated t = 16 s), then rounds of a block of
// demo frames, a block of required-work frames (the same frame with the cheap shaders)
// and a block of floor frames. Demo and required-work frames both advance the path by
// `step` seconds; floor frames do not. With the defaults (300 + 300 frames of 0.05 s,
// t = 16 s .. 46 s) they cover the end of that hold, turns, moves and the holds at P2 and
// P3, and both scene frame kinds see the same mix of them, ten frames apart.
class BenchRun {
public:
    BenchRun(Quessel::Demo& demo, const BenchOptions& options);

    // False when the window was closed or Escape pressed.
    bool fastForward();
    // Every measured frame in run order. Stops early (with `failure` set) when a swap
    // of the programs fails, or when the run is stopped.
    std::vector<FrameSample> measure(PassTimer& timer, ProgramSwapper& swapper, FloorFrame& floor);

    // A frame of no simulated time, for warming up and for comparisons: the path, light,
    // particles and clock stay where they are, and the cube-map rotation is put back, so
    // the measured sequence is the one a run without it would see.
    // With `pixels`, the window's frame is read back into it before it is presented.
    void stillFrame(std::vector<unsigned char>* pixels = nullptr);
    // Errors since `before` (the demo's count) plus any the error flag still holds.
    int errorsSince(int before);

    // Steps the demo on the simulated clock; the particle pass reads it through glfwGetTime.
    Quessel::FrameDriver driver;
    bool stopped = false;
    std::string failure;
    // GL errors seen in measured frames, by FrameKind, and in swapping the programs.
    std::array<int, FrameKindCount> glErrors{};
    int swapErrors = 0;

private:
    // One unmeasured frame of dt seconds.
    void advance(double dt);
    void sceneBlock(PassTimer& timer, FrameKind kind, int block, int count, std::vector<FrameSample>& samples);
    void floorBlock(FloorFrame& floor, int block, int count, std::vector<FrameSample>& samples);
    bool swap(ProgramSwapper& swapper, bool cheap);
    void progress(int block, int blocks, const std::vector<FrameSample>& samples) const;

    Quessel::Demo& demo;
    BenchOptions options;
};

}  // namespace Quessel::Bench
