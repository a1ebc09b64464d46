#include "bench/BenchReport.h"
#include "bench/TextFormat.h"

#include <cmath>

namespace Quessel::Bench {

namespace {
// JSON has no NaN or infinity; a figure that could not be measured is 0.
double finite(double value) { return std::isfinite(value) ? value : 0.0; }

std::string jsonNumber(double value) { return format("%.4f", finite(value)); }

std::string jsonBool(bool value) { return value ? "true" : "false"; }

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += std::string("\\") + c;
        else if (static_cast<unsigned char>(c) < 0x20)
            quoted += format("\\u%04x", c);
        else
            quoted += c;
    }
    return quoted + "\"";
}

std::string jsonSummary(const Summary& s) {
    return "{\"median\":" + jsonNumber(s.median) + ",\"p95\":" + jsonNumber(s.p95) + ",\"max\":" + jsonNumber(s.max) +
           ",\"mean\":" + jsonNumber(s.mean) + "}";
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

double mib(double kb) { return kb / 1024.0; }

const Quessel::Pass Refresh = Quessel::Pass::EnvironmentMap;
}  // namespace

BenchReport::BenchReport(const BenchFigures& figures) : figures(figures) {}

void BenchReport::printTable(std::FILE* out) const {
    const BenchFigures& f = figures;
    std::fprintf(out,
                 "\nquessel-bench: %d demo, %d required-work and %d floor frames, blocks of %d of each in turn; "
                 "%.3f s simulated per scene frame from t = %.1f s\n",
                 f.demo.frame.count, f.required.frame.count, f.floorFrame.count, f.options.block, f.options.step,
                 f.info.startSeconds);
    std::fprintf(out, "%s, OpenGL %s, window %d x %d, %d samples; set-up %.1f s\n", f.info.renderer.c_str(),
                 f.info.version.c_str(), f.info.width, f.info.height, f.info.samples, f.info.setupSeconds);
    std::fprintf(
        out, "load average %.2f before, %.2f after%s\n\n", f.info.loadBefore, f.info.loadAfter,
        f.options.syncPasses ? "; passes synchronised (glFinish after each): frame times are not the demo's" : "");
    printRatios(out);
    printFrames(out);
    printPasses(out);
    printBlocks(out);
    printMemoryAndGoals(out);
}

void BenchReport::printRatios(std::FILE* out) const {
    const BenchFigures& f = figures;
    const BenchFigures::Block& m = f.blockMedians;
    std::fprintf(out, "%-44s %10s %13s\n", "ratio (of medians)", "whole run", "block median");
    const auto row = [out](const char* name, double whole, double block) {
        std::fprintf(out, "%-44s %10.2f %13.2f\n", name, whole, block);
    };
    row("demo / required-work frame", f.ratioToRequired, m.demoToRequired);
    row("environment-map refresh / its required work", f.environmentMapToRequired, m.environmentMapToRequired);
    row("demo / floor frame", f.ratio, m.demoToFloor);
    row("required-work / floor frame", f.requiredToFloor, m.requiredToFloor);
    const SwapCheck::Result& check = f.info.swapCheck;
    std::fprintf(out,
                 "swap check: required-work frame %.1f off the demo's per channel; demo after swapping back %.2f off, "
                 "%.3f %% of pixels by more than %d; %d GL errors: %s\n\n",
                 check.requiredMeanDifference, check.restoredMeanDifference, 100.0 * check.restoredLargeShare,
                 SwapCheck::LargeDifference, check.glErrors, check.passed() ? "passed" : "FAILED");
}

void BenchReport::printFrames(std::FILE* out) const {
    const BenchFigures& f = figures;
    std::fprintf(out, "%-30s %9s %9s %9s %9s\n", "time per frame (ms)", "median", "p95", "max", "mean");
    const auto row = [out](const char* name, const Summary& s) {
        std::fprintf(out, "%-30s %9.2f %9.2f %9.2f %9.2f\n", name, s.median, s.p95, s.max, s.mean);
    };
    row("demo frame", f.demo.frame);
    row("demo CPU issue", f.demo.issue);
    row("required-work frame", f.required.frame);
    row("required-work CPU issue", f.required.issue);
    row("floor frame", f.floorFrame);
    row("floor CPU issue", f.floorIssue);
    for (int kind = 0; kind < 3; ++kind) {
        if (f.frameByPathKind[kind].count == 0) continue;
        const std::string name =
            format("demo frame, %s (%d)", BenchFigures::pathKindName(kind), f.frameByPathKind[kind].count);
        row(name.c_str(), f.frameByPathKind[kind]);
    }
    std::fprintf(out, "\nframes per second: demo %.2f (%.2f at the median frame), required work %.2f, floor %.2f\n\n",
                 f.demo.fps, f.demo.fpsAtMedian, f.required.fps, f.floorFps);
}

void BenchReport::printPasses(std::FILE* out) const {
    const BenchFigures& f = figures;
    std::fprintf(out, "%-16s %10s %9s %9s %8s %10s | %13s %10s %7s\n", "pass (ms)", "GPU median", "p95", "max", "share",
                 "CPU median", "required GPU", "CPU median", "demo /");
    double gpuSum = 0.0;
    double requiredSum = 0.0;
    for (int index = 0; index < PassCount; ++index) {
        const Summary& gpu = f.demo.gpu[index];
        const Summary& required = f.required.gpu[index];
        if (!hasGpuTime(passAt(index))) {
            std::fprintf(out, "%-16s %10s %9s %9s %8s %10.2f | %13s %10.2f\n", passName(passAt(index)), "-", "-", "-",
                         "", f.demo.cpu[index].median, "-", f.required.cpu[index].median);
            continue;
        }
        gpuSum += gpu.median;
        requiredSum += required.median;
        const double share = f.demo.frame.median > 0.0 ? 100.0 * gpu.median / f.demo.frame.median : 0.0;
        const double over = required.median > 0.0 ? gpu.median / required.median : 0.0;
        std::fprintf(out, "%-16s %10.2f %9.2f %9.2f %7.1f%% %10.2f | %13.2f %10.2f %7.2f\n", passName(passAt(index)),
                     gpu.median, gpu.p95, gpu.max, share, f.demo.cpu[index].median, required.median,
                     f.required.cpu[index].median, over);
    }
    std::fprintf(out, "%-16s %10.2f %50.2f\n", "sum of medians", gpuSum, requiredSum);
    std::fprintf(out, "(share: GPU median of the pass over the demo's median frame)\n");
    std::fprintf(out, "most expensive passes (GPU median):");
    const std::vector<int> order = f.passesByCost();
    for (std::size_t i = 0; i < order.size() && i < 3; ++i)
        std::fprintf(out, "%s %s %.2f ms", i ? "," : "", passName(passAt(order[i])), f.demo.gpu[order[i]].median);
    std::fprintf(out, "\n\n");
}

void BenchReport::printBlocks(std::FILE* out) const {
    std::fprintf(out, "%-6s %9s %9s %9s %9s %9s | %9s %9s %9s %9s\n", "block", "demo", "required", "floor", "refresh",
                 "req. ref.", "demo/req", "demo/flr", "req/flr", "ref/req");
    int index = 0;
    for (const BenchFigures::Block& b : figures.blocks) {
        std::fprintf(out, "%-6d %9.2f %9.2f %9.2f %9.2f %9.2f | %9.2f %9.2f %9.2f %9.2f\n", ++index, b.demoMs,
                     b.requiredMs, b.floorMs, b.demoRefreshMs, b.requiredRefreshMs, b.demoToRequired, b.demoToFloor,
                     b.requiredToFloor, b.environmentMapToRequired);
    }
    const BenchFigures::Block& m = figures.blockMedians;
    std::fprintf(out, "%-56s | %9.2f %9.2f %9.2f %9.2f\n", "median over the blocks (ms: median frame per block)",
                 m.demoToRequired, m.demoToFloor, m.requiredToFloor, m.environmentMapToRequired);
    std::fprintf(out, "\n");
}

void BenchReport::printMemoryAndGoals(std::FILE* out) const {
    const BenchFigures& f = figures;
    std::fprintf(out,
                 "memory: peak resident %.1f MiB; resident mean over the first %d frames %.1f MiB, "
                 "over the last %d %.1f MiB, growth %+.0f KiB\n",
                 mib(static_cast<double>(f.peakKb)), f.memoryWindow, mib(f.firstResidentKb), f.memoryWindow,
                 mib(f.lastResidentKb), f.growthKb);
    std::fprintf(out, "GL errors: demo frames %d, required-work frames %d, floor frames %d, swaps %d\n\n",
                 f.info.glErrors[0], f.info.glErrors[1], f.info.glErrors[2], f.info.swapGlErrors);
    std::fprintf(out, "goal: demo median within %.1f x the required-work median: %s (%.2f)\n",
                 BenchFigures::RequiredGoal, verdict(f.requiredMet()), f.ratioToRequired);
    std::fprintf(out, "goal: environment-map refresh within %.1f x its required-work cost: %s (%.2f of %.2f ms)\n",
                 BenchFigures::EnvironmentMapGoal, verdict(f.environmentMapMet()), f.demo.gpuOf(Refresh).median,
                 f.required.gpuOf(Refresh).median);
    std::fprintf(out, "goal: demo median within %.0f x the floor median: %s (%.2f)\n", BenchFigures::FloorGoal,
                 verdict(f.floorMet()), f.ratio);
    std::fprintf(out, "goal: memory flat (growth <= %ld KiB): %s (%+.0f KiB)\n", BenchFigures::FlatGrowthKb,
                 verdict(f.memoryFlat()), f.growthKb);
    std::fprintf(out, "goal: no GL error: %s (%d)\n\n", verdict(f.noGlError()), f.glErrors());
}

std::string BenchReport::jsonSeries(const FrameSeries& series) const {
    std::string json = "\"frame_ms\":" + jsonSummary(series.frame) + ",\"cpu_issue_ms\":" + jsonSummary(series.issue);
    json += ",\"fps\":" + jsonNumber(series.fps) + ",\"fps_at_median\":" + jsonNumber(series.fpsAtMedian);
    json += ",\"passes\":{";
    for (int index = 0; index < PassCount; ++index) {
        json += std::string(index ? "," : "") + "\"" + passName(passAt(index)) + "\":{";
        if (hasGpuTime(passAt(index))) json += "\"gpu_ms\":" + jsonSummary(series.gpu[index]) + ",";
        json += "\"cpu_ms\":" + jsonSummary(series.cpu[index]) + "}";
    }
    return json + "}";
}

std::string BenchReport::jsonBlocks() const {
    const auto ratios = [](const BenchFigures::Block& b) {
        return "\"ratio_to_required\":" + jsonNumber(b.demoToRequired) + ",\"ratio\":" + jsonNumber(b.demoToFloor) +
               ",\"required_to_floor\":" + jsonNumber(b.requiredToFloor) +
               ",\"environment_map_to_required\":" + jsonNumber(b.environmentMapToRequired);
    };
    std::string json = ",\"block_medians\":{" + ratios(figures.blockMedians) + "},\"blocks\":[";
    bool first = true;
    for (const BenchFigures::Block& b : figures.blocks) {
        json += std::string(first ? "" : ",") + "{\"demo_ms\":" + jsonNumber(b.demoMs) +
                ",\"required_ms\":" + jsonNumber(b.requiredMs) + ",\"floor_ms\":" + jsonNumber(b.floorMs) +
                ",\"environment_map_ms\":" + jsonNumber(b.demoRefreshMs) +
                ",\"required_environment_map_ms\":" + jsonNumber(b.requiredRefreshMs) + "," + ratios(b) + "}";
        first = false;
    }
    return json + "]";
}

std::string BenchReport::jsonChecks() const {
    const BenchFigures& f = figures;
    const SwapCheck::Result& check = f.info.swapCheck;
    std::string json = format(",\"gl_errors\":%d", f.glErrors());
    json += format(",\"gl_errors_by_kind\":{\"demo\":%d,\"required\":%d,\"floor\":%d,\"swaps\":%d}", f.info.glErrors[0],
                   f.info.glErrors[1], f.info.glErrors[2], f.info.swapGlErrors);
    json += format(",\"swap_check\":{\"gl_errors\":%d", check.glErrors) +
            ",\"required_mean_difference\":" + jsonNumber(check.requiredMeanDifference) +
            ",\"restored_mean_difference\":" + jsonNumber(check.restoredMeanDifference) +
            ",\"restored_large_share\":" + jsonNumber(check.restoredLargeShare) +
            ",\"passed\":" + jsonBool(check.passed()) + "}";
    json += ",\"goals\":{\"demo_within_2x_required\":" + jsonBool(f.requiredMet()) +
            ",\"environment_map_within_2x_required\":" + jsonBool(f.environmentMapMet()) +
            ",\"ratio_within_7\":" + jsonBool(f.floorMet()) + ",\"memory_flat\":" + jsonBool(f.memoryFlat()) +
            ",\"no_gl_error\":" + jsonBool(f.noGlError()) + "}";
    return json;
}

std::string BenchReport::jsonLine() const {
    const BenchFigures& f = figures;
    std::string json = "{\"bench\":\"quessel\",\"version\":2";
    json += ",\"renderer\":" + jsonString(f.info.renderer) + ",\"gl_version\":" + jsonString(f.info.version);
    json += format(",\"width\":%d,\"height\":%d,\"samples\":%d", f.info.width, f.info.height, f.info.samples);
    json += format(",\"frames\":%d,\"required_frames\":%d,\"floor_frames\":%d,\"block\":%d", f.demo.frame.count,
                   f.required.frame.count, f.floorFrame.count, f.options.block);
    json += ",\"step_s\":" + jsonNumber(f.options.step) + ",\"start_s\":" + jsonNumber(f.info.startSeconds) +
            ",\"end_s\":" + jsonNumber(f.info.endSeconds);
    json += ",\"setup_s\":" + jsonNumber(f.info.setupSeconds);
    json += ",\"load_before\":" + jsonNumber(f.info.loadBefore) + ",\"load_after\":" + jsonNumber(f.info.loadAfter);
    json += ",\"sync_passes\":" + jsonBool(f.options.syncPasses);
    json += "," + jsonSeries(f.demo);
    json += ",\"frame_ms_by_path\":{";
    bool first = true;
    for (int kind = 0; kind < 3; ++kind) {
        if (f.frameByPathKind[kind].count == 0) continue;
        json += std::string(first ? "" : ",") + "\"" + BenchFigures::pathKindName(kind) +
                "\":" + jsonSummary(f.frameByPathKind[kind]);
        first = false;
    }
    json += "},\"required\":{" + jsonSeries(f.required) + "}";
    json += ",\"floor\":{\"frame_ms\":" + jsonSummary(f.floorFrame) + ",\"cpu_issue_ms\":" + jsonSummary(f.floorIssue) +
            ",\"fps\":" + jsonNumber(f.floorFps) + "}";
    json += ",\"ratio\":" + jsonNumber(f.ratio) + ",\"ratio_to_required\":" + jsonNumber(f.ratioToRequired) +
            ",\"required_to_floor\":" + jsonNumber(f.requiredToFloor) +
            ",\"environment_map_to_required\":" + jsonNumber(f.environmentMapToRequired);
    json += jsonBlocks();
    json += format(",\"memory\":{\"peak_kb\":%ld,\"window_frames\":%d", f.peakKb, f.memoryWindow);
    json += ",\"first_kb\":" + jsonNumber(f.firstResidentKb) + ",\"last_kb\":" + jsonNumber(f.lastResidentKb) +
            ",\"growth_kb\":" + jsonNumber(f.growthKb) + "}";
    json += jsonChecks();
    return json + "}";
}

}  // namespace Quessel::Bench
