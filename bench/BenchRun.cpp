#include "bench/BenchRun.h"

#include "app/Demo.h"
#include "bench/FloorFrame.h"
#include "bench/MemoryProbe.h"
#include "app/PassTimer.h"
#include "bench/ProgramSwapper.h"
#include "bench/Summary.h"
#include "core/GlConstants.h"
#include "math/Camera.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace Quessel::Bench {

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
// After a relink the driver compiles the programs' code for the frame's state on first
// use: a frame that is not measured takes that.
constexpr int WarmUpFramesAfterSwap = 1;

double medianOf(const std::vector<FrameSample>& samples, FrameKind kind, int block) {
    std::vector<double> values;
    for (const FrameSample& sample : samples)
        if (sample.kind == kind && sample.block == block) values.push_back(sample.frameMs);
    return Summary::of(std::move(values)).median;
}
}  // namespace

// The demo's clock restarts at zero so the path and particles see only simulated time.
BenchRun::BenchRun(Quessel::Demo& demo, const BenchOptions& options) : driver(demo), demo(demo), options(options) {}

void BenchRun::advance(double dt) {
    driver.frame(dt);
    stopped = driver.present();
}

void BenchRun::stillFrame(std::vector<unsigned char>* pixels) {
    const int rotation = demo.rotationIndex;
    driver.frame(0.0);
    if (pixels) {
        pixels->resize(static_cast<std::size_t>(Quessel::ScreenWidth) * Quessel::ScreenHeight * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, Quessel::ScreenWidth, Quessel::ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels->data());
    }
    stopped = driver.present() || stopped;
    demo.rotationIndex = rotation;
}

int BenchRun::errorsSince(int before) {
    int errors = demo.errorCount - before;
    // The frame's check reads one error; anything after it is still in the flag.
    for (int i = 0; i < 100 && glGetError() != GL_NO_ERROR; ++i) ++errors;
    return errors;
}

bool BenchRun::fastForward() {
    for (int frame = 0; frame < FastForwardLimit && !stopped; ++frame) {
        if (demo.path.step == StartRow && demo.camera.pathTime >= StartRowTime - 1e-3f) return true;
        advance(FastForwardStep);
    }
    return !stopped;
}

void BenchRun::sceneBlock(PassTimer& timer, FrameKind kind, int block, int count, std::vector<FrameSample>& samples) {
    driver.observe(&timer);
    for (int frame = 0; frame < count && !stopped; ++frame) {
        FrameSample sample;
        sample.kind = kind;
        sample.block = block;
        sample.inBlock = frame;
        sample.pathStep = demo.path.step;
        const int errors = demo.errorCount;
        const Clock::time_point start = Clock::now();
        driver.frame(options.step);
        sample.issueMs = millisecondsSince(start);
        stopped = demo.present();
        // The frame is over when the GL work is done, not when it is queued.
        glFinish();
        sample.frameMs = millisecondsSince(start);
        const Quessel::PassTimer::Times times = timer.collect();
        sample.gpuMs = times.gpuMs;
        sample.cpuMs = times.cpuMs;
        sample.residentKb = MemoryProbe::residentKb();
        glErrors[static_cast<int>(kind)] += errorsSince(errors);
        samples.push_back(sample);
    }
    driver.observe(nullptr);
}

void BenchRun::floorBlock(FloorFrame& floor, int block, int count, std::vector<FrameSample>& samples) {
    for (int frame = 0; frame < count && !stopped; ++frame) {
        FrameSample sample;
        sample.kind = FrameKind::Floor;
        sample.block = block;
        sample.inBlock = frame;
        const int errors = demo.errorCount;
        const Clock::time_point start = Clock::now();
        floor.draw();
        sample.issueMs = millisecondsSince(start);
        // The demo's present: the same swap, poll, end test and error check.
        stopped = demo.present();
        glFinish();
        sample.frameMs = millisecondsSince(start);
        sample.residentKb = MemoryProbe::residentKb();
        glErrors[static_cast<int>(FrameKind::Floor)] += errorsSince(errors);
        samples.push_back(sample);
    }
}

bool BenchRun::swap(ProgramSwapper& swapper, bool cheap) {
    const bool linked = cheap ? swapper.useCheap() : swapper.useDemo();
    swapErrors += errorsSince(demo.errorCount);
    if (!linked) {
        failure = swapper.error;
        return false;
    }
    const int errors = demo.errorCount;
    for (int frame = 0; frame < WarmUpFramesAfterSwap && !stopped; ++frame) stillFrame();
    swapErrors += errorsSince(errors);
    return true;
}

void BenchRun::progress(int block, int blocks, const std::vector<FrameSample>& samples) const {
    const double scene = medianOf(samples, FrameKind::Demo, block);
    const double required = medianOf(samples, FrameKind::Required, block);
    const double floor = medianOf(samples, FrameKind::Floor, block);
    std::fprintf(stderr,
                 "quessel-bench: block %d/%d at t = %.2f s: demo %.1f ms, required %.1f ms, floor %.1f ms "
                 "(demo / required %.2f, demo / floor %.2f)\n",
                 block + 1, blocks, driver.clock, scene, required, floor, required > 0.0 ? scene / required : 0.0,
                 floor > 0.0 ? scene / floor : 0.0);
}

std::vector<FrameSample> BenchRun::measure(PassTimer& timer, ProgramSwapper& swapper, FloorFrame& floor) {
    std::vector<FrameSample> samples;
    const int blockFrames = options.block;
    const int blocks = (options.frames + blockFrames - 1) / blockFrames;
    const int floorFrames = options.floorFramesOrDefault();
    samples.reserve(static_cast<std::size_t>(2 * options.frames + floorFrames));
    for (int frame = 0; frame < FloorWarmUpFrames && !stopped; ++frame) {
        floor.draw();
        stopped = demo.present();
    }
    // Start-up leaves errors in the flag (blocks bound on programs that lack them).
    errorsSince(demo.errorCount);
    glFinish();
    for (int block = 0; block < blocks && !stopped; ++block) {
        const int count = std::min(blockFrames, options.frames - block * blockFrames);
        if (block > 0 && !swap(swapper, false)) break;
        sceneBlock(timer, FrameKind::Demo, block, count, samples);
        if (stopped || !swap(swapper, true)) break;
        sceneBlock(timer, FrameKind::Required, block, count, samples);
        const int floorCount = floorFrames * (block + 1) / blocks - floorFrames * block / blocks;
        floorBlock(floor, block, floorCount, samples);
        progress(block, blocks, samples);
    }
    // The demo's own shaders again, whatever happened.
    if (swapper.cheap() && !swapper.useDemo() && failure.empty()) failure = swapper.error;
    return samples;
}

}  // namespace Quessel::Bench
