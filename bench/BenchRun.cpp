#include "bench/BenchRun.h"

#include "app/Demo.h"
#include "bench/ViewCounts.h"
#include "harness/DemoPrograms.h"
#include "harness/PassTimer.h"
#include "core/GlConstants.h"
#include "core/GlProgram.h"
#include "core/ImageDifference.h"
#include "core/RgbImage.h"
#include "core/ToolReport.h"
#include "math/Camera.h"
#include "paths/CameraPath.h"

#include <GLFW/glfw3.h>
#include <fmt/core.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>

namespace Quessel::Bench {

long statusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + field.size());
    return 0;
}

namespace {
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double loadAverage() {
    double load = 0.0;
    std::ifstream("/proc/loadavg") >> load;
    return load;
}

std::string glText(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

// Where the measured sequence starts: row 1 of the path (the hold at P1), 11 s into it.
constexpr int StartRow = 1;
constexpr float StartRowTime = 11.0f;
constexpr int FastForwardLimit = 200;
// The floor's first frames compile its shader variants and upload its texture.
constexpr int FloorWarmUpFrames = 5;
// Rounds of cube-map refreshes before a frame of the swap check is read back.
constexpr int SettleRounds = 3;
// The programs whose work is swapped, and their cheap shaders; the particles stay.
const char* const CheapSources[][3] = {{"test", "scene.vert", "test.frag"},
                                       {"depth", "scene.vert", "depth.frag"},
                                       {"reflect", "scene.vert", "reflect.frag"},
                                       {"refract", "scene.vert", "refract.frag"},
                                       {"motionblur", "composite.vert", "composite.frag"}};

// The floor's quad: corners (-1, -1), (1, -1), (-1, 1), (1, 1) as a strip, from the vertex number.
const char* const FloorSources[] = {R"(#version 430 core
out vec2 uv;
void main() {
    uv = vec2(gl_VertexID & 1, gl_VertexID >> 1);
    gl_Position = vec4(uv * 2.0 - 1.0, 0.0, 1.0);
}
)",
                                    R"(#version 430 core
layout(binding = 0) uniform sampler2D image;
in vec2 uv;
out vec4 color;
void main() { color = texture(image, uv); }
)"};
}  // namespace

// The demo's clock restarts at zero so the path and particles see only simulated time.
BenchRun::BenchRun(Demo& demo, const BenchOptions& options) : driver(demo), demo(demo), options(options) {
    info.renderer = glText(GL_RENDERER);
    info.version = glText(GL_VERSION);
    glfwGetFramebufferSize(demo.view().window(), &info.width, &info.height);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glGetIntegerv(GL_SAMPLES, &info.samples);
}

bool BenchRun::prepareSwap(const std::string& directory) {
    std::map<std::string, GLuint> compiled;
    const auto compile = [&](GLenum type, const char* file) {
        GLuint& shader = compiled[file];
        if (!shader) shader = GlProgram::compileFile(type, directory + "/" + file, failure);
        return shader;
    };
    for (const auto& [name, vertex, fragment] : CheapSources) {
        if (!DemoPrograms(demo).program(name)) failure = std::string("no program ") + name;
        if (!failure.empty()) return false;
        cheapPrograms.push_back({name, compile(GL_VERTEX_SHADER, vertex), compile(GL_FRAGMENT_SHADER, fragment), {}});
    }
    return failure.empty();
}

bool BenchRun::buildFloor() {
    std::string log;
    floorProgram = GlProgram::buildSource(FloorSources[0], FloorSources[1], "floor", log);
    if (!floorProgram) {
        failure = "the floor frame could not be built: " + log;
        return false;
    }
    // The core profile draws only with a vertex array bound, even an empty one.
    glGenVertexArrays(1, &floorVertexArray);
    // A gradient, so the quad's samples are not all one value.
    std::vector<unsigned char> pixels;
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x)
            pixels.insert(pixels.end(), {static_cast<unsigned char>(x * 255 / ScreenWidth),
                                         static_cast<unsigned char>(y * 255 / ScreenHeight),
                                         static_cast<unsigned char>((x ^ y) & 0xff), 255});
    glActiveTexture(GL_TEXTURE0);
    glGenTextures(1, &floorTexture);
    glBindTexture(GL_TEXTURE_2D, floorTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, ScreenWidth, ScreenHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (glGetError() != GL_NO_ERROR) failure = "the floor frame could not be built: a GL error while building it";
    return failure.empty();
}

void BenchRun::drawFloor() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, ScreenWidth, ScreenHeight);
    // Blending stays as the demo leaves it (on), as it is for the composite's quad.
    glDisable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(floorProgram);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, floorTexture);
    glBindVertexArray(floorVertexArray);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    glEnable(GL_DEPTH_TEST);
}

void BenchRun::present() { stopped = driver.present() || ToolReport::stopSignal() || stopped; }

bool BenchRun::fastForward() {
    for (int frame = 0; frame < FastForwardLimit && !stopped; ++frame) {
        // A brought scene flies its tour, which has no row of our path to aim for.
        if (options.brought()
                ? driver.clock() >= BenchOptions::BroughtStartSeconds - 1e-9
                : demo.view().path().step == StartRow && demo.view().path().rowTime() >= StartRowTime - 1e-3f)
            break;
        driver.frame(options.brought() ? std::min(1.0, BenchOptions::BroughtStartSeconds - driver.clock()) : 1.0);
        present();
    }
    info.startSeconds = driver.clock();
    return !stopped;
}

void BenchRun::stillFrame(RgbImage* window) {
    FramePlan still = FramePlan::running(0.0);
    still.refresh = FramePlan::Refresh::Every;
    driver.frame(still);
    if (window) *window = RgbImage::readWindow(ScreenWidth, ScreenHeight);
    present();
}

RgbImage BenchRun::settledFrame() {
    for (int frame = 1; frame < SettleRounds && !stopped; ++frame) stillFrame();
    RgbImage window;
    stillFrame(&window);
    return window;
}

int BenchRun::errorsSince(int before) {
    int errors = demo.view().errorCount() - before;
    // The frame's check reads one error; anything after it is still in the flag.
    for (int i = 0; i < 100 && glGetError() != GL_NO_ERROR; ++i) ++errors;
    return errors;
}

bool BenchRun::relink(bool toCheap) {
    if (cheap == toCheap) return true;
    if (toCheap)
        for (CheapProgram& program : cheapPrograms) program.values = UniformSnapshot::of(DemoPrograms(demo).program(program.name));
    cheap = toCheap;
    bool linked = true;
    for (CheapProgram& program : cheapPrograms) {
        std::string log;
        // Both 0: the program's own shaders.
        if (DemoPrograms(demo).relink(program.name, toCheap ? program.vertex : 0, toCheap ? program.fragment : 0,
                               program.values, log))
            continue;
        if (failure.empty()) failure = log;
        linked = false;
        if (toCheap) break;
    }
    if (!linked && toCheap) relink(false);
    return linked;
}

void BenchRun::checkSwap() {
    SwapCheck& check = info.swapCheck;
    // Start-up leaves errors in the flag (blocks bound on programs that lack them).
    errorsSince(demo.view().errorCount());
    const RgbImage before = settledFrame();
    const int errors = demo.view().errorCount();
    const bool toCheap = relink(true);
    const RgbImage required = settledFrame();
    const bool back = relink(false);
    const RgbImage after = settledFrame();
    check.glErrors = errorsSince(errors);
    check.ran = toCheap && back && !stopped;
    check.requiredMeanDifference = ImageDifference::between(required, before).mean;
    const ImageDifference restored = ImageDifference::between(after, before);
    check.restoredMeanDifference = restored.mean;
    check.restoredLargeShare = restored.largePixels;
}

bool BenchRun::swap(bool toCheap) {
    const bool linked = relink(toCheap);
    info.swapGlErrors += errorsSince(demo.view().errorCount());
    if (!linked) return false;
    const int errors = demo.view().errorCount();
    if (!stopped) stillFrame();
    info.swapGlErrors += errorsSince(errors);
    return true;
}

void BenchRun::measureFrame(FrameKind kind, int block, int inBlock, std::vector<FrameSample>& samples,
                            PassTimer& timer) {
    const bool scene = kind != FrameKind::Floor;
    FrameSample sample{{}, 0.0, 0.0, 0, {}, {}, -1, -1, kind, block, inBlock};
    if (scene) {
        // The row of the path flown: ours, or a brought scene's tour.
        const CameraPath& path = demo.view().path();
        sample.pathStep = path.step;
        sample.pathKind = static_cast<int>(path.script().rows.at(path.step).kind);
    }
    const int errors = demo.view().errorCount();
    ViewCounts counts(demo.view(), timer);
    driver.observe(scene ? &counts : nullptr);
    const Clock::time_point start = Clock::now();
    scene ? driver.frame(options.step) : drawFloor();
    sample.issueMs = millisecondsSince(start);
    // The demo's present for every kind: the same swap, poll, end test and error check.
    present();
    // The frame is over when the GL work is done, not when it is queued.
    glFinish();
    sample.frameMs = millisecondsSince(start);
    sample.residentKb = statusKb("VmRSS:");
    info.glErrors[static_cast<int>(kind)] += errorsSince(errors);
    driver.observe(nullptr);
    if (scene) static_cast<PassTimer::Times&>(sample) = timer.collect();
    sample.mainDraws = counts.main;
    sample.faceDraws = counts.faces;
    samples.push_back(sample);
}

std::vector<FrameSample> BenchRun::measure(PassTimer& timer) {
    std::vector<FrameSample> samples;
    if (!buildFloor()) return samples;
    info.loadBefore = loadAverage();
    const int blocks = (options.frames + options.block - 1) / options.block;
    const int floorFrames = options.floorFramesOrDefault();
    for (int frame = 0; frame < FloorWarmUpFrames && !stopped; ++frame) {
        drawFloor();
        present();
    }
    // Start-up leaves errors in the flag (blocks bound on programs that lack them).
    errorsSince(demo.view().errorCount());
    glFinish();
    // A brought scene measures demo and floor frames only. The required-work frame swaps
    // the demo's own programs for cheap ones; a brought scene's own look draws its surfaces
    // and background with programs of its own, which would stay in, so that frame would be
    // one thing under --look own and another under --look demo. Left out for both looks,
    // the two runs measure the same sequence, and the floor, which draws no scene, still
    // gives each run the machine's speed to divide by.
    const bool required = !options.brought();
    for (int block = 0; block < blocks && !stopped; ++block) {
        // This round's frames of each scene kind, and its floor frames.
        const int counts[] = {std::min(options.block, options.frames - block * options.block),
                              floorFrames * (block + 1) / blocks - floorFrames * block / blocks};
        if (required && block > 0 && !swap(false)) break;
        for (const FrameKind kind : {FrameKind::Demo, FrameKind::Required, FrameKind::Floor}) {
            if (kind == FrameKind::Required && !required) continue;
            // A failed relink leaves its reason in `failure`.
            if (kind == FrameKind::Required && !stopped && !swap(true)) break;
            for (int frame = 0; frame < counts[kind == FrameKind::Floor] && !stopped; ++frame)
                measureFrame(kind, block, frame, samples, timer);
        }
        if (stopped || !failure.empty()) break;
        const BenchFigures::Block b = BenchFigures::Block::of(samples, block);
        if (!required) {
            fmt::print(stderr,
                       "quessel-bench: block {}/{} at t = {:.2f} s: demo {:.1f} ms, floor {:.1f} ms, refresh {:.1f} ms "
                       "(demo / floor {:.2f})\n",
                       block + 1, blocks, driver.clock(), b.demoMs, b.floorMs, b.demoRefreshMs, b.demoToFloor);
            continue;
        }
        fmt::print(stderr,
                   "quessel-bench: block {}/{} at t = {:.2f} s: demo {:.1f} ms, required {:.1f} ms, floor {:.1f} ms, "
                   "refresh {:.1f} / {:.1f} ms (demo / required {:.2f}, demo / floor {:.2f}, required / floor "
                   "{:.2f}, refresh / its required {:.2f})\n",
                   block + 1, blocks, driver.clock(), b.demoMs, b.requiredMs, b.floorMs, b.demoRefreshMs,
                   b.requiredRefreshMs, b.demoToRequired, b.demoToFloor, b.requiredToFloor, b.environmentMapToRequired);
    }
    info.loadAfter = loadAverage();
    info.endSeconds = driver.clock();
    info.peakKb = statusKb("VmHWM:");
    // The demo's own shaders again, whatever happened.
    relink(false);
    return samples;
}

}  // namespace Quessel::Bench
