#include "bench/BenchRun.h"

#include "app/Demo.h"
#include "bench/FloorFrame.h"
#include "bench/MemoryProbe.h"
#include "bench/PassTimer.h"
#include "math/Camera.h"

#include <GLFW/glfw3.h>

#include <chrono>

namespace QuesselBench {

namespace {
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Where the measured sequence starts: row 1 of the path (the hold at P1), 11 s into it.
constexpr int StartRow = 1;
constexpr float StartRowTime = 11.0f;
constexpr double FastForwardStep = 1.0;
constexpr int FastForwardLimit = 200;
// The floor's first frames compile its shader variants and upload its texture.
constexpr int FloorWarmUpFrames = 5;
}  // namespace

// The demo's clock restarts at zero so the path and particles see only simulated time.
BenchRun::BenchRun(Quessel::Demo& demo, const BenchOptions& options)
    : driver(demo), demo(demo), options(options) {}

void BenchRun::advance(double dt) {
    driver.frame(dt);
    stopped = driver.present();
}

bool BenchRun::fastForward() {
    for (int frame = 0; frame < FastForwardLimit && !stopped; ++frame) {
        if (demo.path.step == StartRow && demo.camera.pathTime >= StartRowTime - 1e-3f) return true;
        advance(FastForwardStep);
    }
    return !stopped;
}

FrameSample BenchRun::demoFrame(PassTimer& timer) {
    FrameSample sample;
    sample.pathStep = demo.path.step;
    const Clock::time_point start = Clock::now();
    driver.frame(options.step);
    sample.issueMs = millisecondsSince(start);
    stopped = demo.present();
    // The frame is over when the GL work is done, not when it is queued.
    glFinish();
    sample.frameMs = millisecondsSince(start);
    timer.collect(sample);
    sample.residentKb = MemoryProbe::residentKb();
    return sample;
}

std::vector<FrameSample> BenchRun::measureDemo(PassTimer& timer) {
    std::vector<FrameSample> samples;
    samples.reserve(static_cast<std::size_t>(options.frames));
    demo.observer = &timer;
    for (int frame = 0; frame < options.frames && !stopped; ++frame) samples.push_back(demoFrame(timer));
    demo.observer = nullptr;
    return samples;
}

std::vector<FrameSample> BenchRun::measureFloor(FloorFrame& floor) {
    std::vector<FrameSample> samples;
    samples.reserve(static_cast<std::size_t>(options.floorFrames));
    for (int frame = 0; frame < FloorWarmUpFrames && !stopped; ++frame) {
        floor.draw();
        stopped = demo.present();
    }
    glFinish();
    for (int frame = 0; frame < options.floorFrames && !stopped; ++frame) {
        FrameSample sample;
        const Clock::time_point start = Clock::now();
        floor.draw();
        sample.issueMs = millisecondsSince(start);
        // The demo's present: the same swap, poll, end test and error check.
        stopped = demo.present();
        glFinish();
        sample.frameMs = millisecondsSince(start);
        sample.residentKb = MemoryProbe::residentKb();
        samples.push_back(sample);
    }
    return samples;
}

}  // namespace QuesselBench
