// quessel-bench: the demo's real start-up, set-up and frames in the real window, measured.
#include "app/Demo.h"
#include "app/Startup.h"
#include "bench/BenchFigures.h"
#include "bench/BenchOptions.h"
#include "bench/BenchReport.h"
#include "bench/BenchRun.h"
#include "bench/FloorFrame.h"
#include "bench/MemoryProbe.h"
#include "app/PassTimer.h"
#include "bench/ProgramSwapper.h"
#include "bench/SvgPlot.h"
#include "bench/SwapCheck.h"
#include "scene/Importer.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {
using namespace Quessel::Bench;

// Staged beside the bench by the build (bench/shaders).
const char* const CheapShaderDirectory = "BenchShader";

std::string glText(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

RunInfo describeWindow(GLFWwindow* window) {
    RunInfo info;
    info.renderer = glText(GL_RENDERER);
    info.version = glText(GL_VERSION);
    glfwGetFramebufferSize(window, &info.width, &info.height);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glGetIntegerv(GL_SAMPLES, &info.samples);
    return info;
}

double loadAverage() {
    double load = 0.0;
    if (std::FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1) load = 0.0;
        std::fclose(file);
    }
    return load;
}

int fail(const char* message) {
    std::fprintf(stderr, "quessel-bench: %s\n", message);
    glfwTerminate();
    return 1;
}

int parseOptions(int argc, char** argv, BenchOptions& options) {
    std::string error;
    if (!BenchOptions::parse(argc, argv, options, error)) {
        std::fprintf(stderr, "quessel-bench: %s\n%s", error.c_str(), BenchOptions::usage());
        return 2;
    }
    if (options.help) {
        std::fputs(BenchOptions::usage(), stdout);
        return 0;
    }
    return -1;
}
}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    const int parsed = parseOptions(argc, argv, options);
    if (parsed >= 0) return parsed;

    Quessel::initGlfw();
    GLFWwindow* window = Quessel::openWindow();
    Quessel::initGlew(window);
    Quessel::setInitialGlState();
    RunInfo info = describeWindow(window);

    Quessel::Demo demo(window);
    const auto setupStart = std::chrono::steady_clock::now();
    if (!demo.setup()) return fail("set-up failed (see the messages above)");
    info.setupSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - setupStart).count();

    ProgramSwapper swapper(*demo.importer->registry, ProgramSwapper::demoSources(CheapShaderDirectory));
    if (!swapper.ready) return fail(("the required-work shaders: " + swapper.error).c_str());

    BenchRun run(demo, options);
    if (!run.fastForward()) return fail("stopped before the measured sequence");
    info.startSeconds = run.driver.clock;
    std::fprintf(stderr, "quessel-bench: set-up %.1f s; checking the swap to the required-work shaders\n",
                 info.setupSeconds);
    info.swapCheck = SwapCheck(run, swapper, static_cast<int>(demo.renderers.size())).run();
    if (!info.swapCheck.ran) return fail(("the swap check could not run: " + swapper.error).c_str());
    std::fprintf(stderr,
                 "quessel-bench: swap check %s; measuring %d demo, %d required-work and %d floor frames "
                 "from t = %.1f s\n",
                 info.swapCheck.passed() ? "passed" : "FAILED", options.frames, options.frames,
                 options.floorFramesOrDefault(), run.driver.clock);

    Quessel::PassTimer timer(options.syncPasses);
    FloorFrame floor;
    if (!floor.ready) return fail("the floor frame could not be built");
    info.loadBefore = loadAverage();
    const std::vector<FrameSample> samples = run.measure(timer, swapper, floor);
    info.loadAfter = loadAverage();
    info.endSeconds = run.driver.clock;
    if (!run.failure.empty()) return fail(run.failure.c_str());
    if (run.stopped) return fail("stopped by Escape or a closed window");
    info.glErrors = run.glErrors;
    info.swapGlErrors = run.swapErrors;

    const BenchFigures figures = BenchFigures::compute(options, info, samples, MemoryProbe::peakKb());
    const BenchReport report(figures);
    report.printTable(stdout);
    std::printf("%s\n", report.jsonLine().c_str());
    std::fflush(stdout);
    const bool written = SvgPlot(samples, figures).write(options.svgPath);
    glfwTerminate();
    return written ? 0 : 1;
}
