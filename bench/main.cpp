// quessel-bench: the demo's real start-up, set-up and frames in the real window, measured.
#include "app/Demo.h"
#include "fit/SceneFitting.h"
#include "harness/DemoHost.h"
#include "harness/PassTimer.h"
#include "bench/BenchOptions.h"
#include "bench/BenchRun.h"
#include "bench/OverlayCost.h"
#include "core/ToolReport.h"
#include "study/StudySession.h"

#include <fmt/core.h>

#include <chrono>
#include <cstdio>

namespace {
using namespace Quessel::Bench;
using Quessel::ToolReport;

const ToolReport report("quessel-bench");

// The swap to the required-work shaders checked before our scene's frames are measured; an
// exit status when it cannot be.
int checkSwap(BenchRun& run, const BenchOptions& options) {
    // Staged beside the bench by the build (bench/shaders).
    if (!run.prepareSwap("BenchShader")) return report.fail("the required-work shaders: " + run.failure);
    if (run.fastForward()) {
        report.say(
            fmt::format("set-up {:.1f} s; checking the swap to the required-work shaders", run.info.setupSeconds));
        run.checkSwap();
    }
    if (!run.stopped && !run.info.swapCheck.ran) return report.fail("the swap check could not run: " + run.failure);
    if (!run.stopped)
        report.say(
            fmt::format("swap check {}; measuring {} demo, {} required-work and {} floor frames from t = {:.1f} s",
                        run.info.swapCheck.passed() ? "passed" : "FAILED", options.frames, options.frames,
                        options.floorFramesOrDefault(), run.driver.clock()));
    return -1;
}

// Runs the measured sequence into `figures`; an exit status when it cannot. A brought scene
// flies its tour, as the other tools fly it by default.
int measure(const BenchOptions& options, BenchFigures& figures) {
    const auto setupStart = std::chrono::steady_clock::now();
    const long residentBefore = statusKb("VmRSS:");
    int status = 0;
    const std::unique_ptr<Quessel::DemoHost> host = Quessel::DemoHost::openForTool(
        report, Quessel::DemoScene::forTool(options.scene, options.mirrors, options.glass, options.look), "", status);
    if (!host) return status;
    BenchRun run(host->demo(), options);
    run.info.setupSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - setupStart).count();
    run.info.residentBeforeKb = residentBefore;
    run.info.residentAfterSetupKb = statusKb("VmRSS:");
    for (const Quessel::NodeRow& node : host->demo().view().fitting().nodes) run.info.triangles += node.triangles;
    if (!options.brought()) {
        if (const int failed = checkSwap(run, options); failed >= 0) return failed;
    } else if (run.fastForward()) {
        report.say(fmt::format("set-up {:.1f} s; measuring {} demo and {} floor frames of {} from t = {:.1f} s",
                               run.info.setupSeconds, options.frames, options.floorFramesOrDefault(), options.scene,
                               run.driver.clock()));
    }
    std::vector<FrameSample> samples;
    if (!run.stopped) {
        Quessel::PassTimer timer(options.syncPasses);
        samples = run.measure(timer);
    }
    figures = BenchFigures::compute(options, run.info, samples);
    if (!run.failure.empty()) return report.fail(run.failure);
    if (run.stopped && !ToolReport::stopSignal()) return report.fail("stopped by Escape or a closed window");
    return -1;
}

// The study tool's session over the demo's own scene, its overlay measured.
int measureOverlay(const BenchOptions& options) {
    Quessel::SetupFailure failure;
    const std::unique_ptr<Quessel::DemoHost> host = Quessel::DemoHost::open({}, failure);
    if (!host) return report.fail(failure.message);
    // Made after the demo and so ended before it.
    Quessel::Study::StudySession session(host->demo(), report);
    return OverlayCost::measure(session, options.overlayCost, report);
}

// After Ctrl-C or SIGTERM, with nothing of the run left behind.
int interrupted() {
    const int status = report.interrupted("the run");
    report.say("no plot or CSV written");
    return status;
}

// The CSV and the plot; a missing gnuplot only costs the plot.
int writeFiles(const BenchOptions& options, const BenchFigures& figures) {
    std::string error;
    if (!figures.writeCsv(options.csvPath(), error)) return report.fail(error);
    switch (figures.drawPlot(options.csvPath(), options.svgPath, error)) {
    case BenchFigures::Plot::Drawn: report.say("plot: " + options.svgPath + ", frames: " + options.csvPath()); break;
    case BenchFigures::Plot::NoGnuplot:
        report.say("gnuplot is not on PATH: the plot was not drawn; the frames are in " + options.csvPath());
        break;
    case BenchFigures::Plot::Failed:
        if (!ToolReport::stopSignal()) return report.fail(error);
        std::remove(options.csvPath().c_str());
        return interrupted();
    }
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    const int parsed = BenchOptions::parse(argc, argv, options, report);
    if (parsed >= 0) return parsed;
    ToolReport::catchStopSignals();
    if (options.overlayCost > 0) return measureOverlay(options);

    BenchFigures figures;
    const int measured = measure(options, figures);
    if (measured >= 0) return measured;
    if (ToolReport::stopSignal()) return interrupted();

    figures.printTable(stdout);
    std::printf("%s\n", figures.jsonLine().c_str());
    std::fflush(stdout);
    if (ToolReport::stopSignal()) return interrupted();
    return writeFiles(options, figures);
}
