#include "bench/BenchReport.h"
#include "bench/TextFormat.h"

#include <cmath>
#include <cstdarg>

namespace QuesselBench {

namespace {
// JSON has no NaN or infinity; a figure that could not be measured is 0.
double finite(double value) { return std::isfinite(value) ? value : 0.0; }

std::string jsonNumber(double value) { return format("%.4f", finite(value)); }

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
}  // namespace

BenchReport::BenchReport(const BenchFigures& figures) : figures(figures) {}

void BenchReport::printTable(std::FILE* out) const {
    const BenchFigures& f = figures;
    std::fprintf(out, "\nquessel-bench: %d demo frames of %.3f s simulated from t = %.1f s, %d floor frames\n",
                 f.frame.count, f.options.step, f.info.startSeconds, f.floorFrame.count);
    std::fprintf(out, "%s, OpenGL %s, window %d x %d, %d samples; set-up %.1f s\n", f.info.renderer.c_str(),
                 f.info.version.c_str(), f.info.width, f.info.height, f.info.samples, f.info.setupSeconds);
    std::fprintf(out, "load average %.2f before, %.2f after%s\n\n", f.info.loadBefore, f.info.loadAfter,
                 f.options.syncPasses ? "; passes synchronised (glFinish after each): frame times are not the demo's"
                                      : "");
    printFrames(out);
    printPasses(out);
    printMemoryAndGoals(out);
}

void BenchReport::printFrames(std::FILE* out) const {
    const BenchFigures& f = figures;
    std::fprintf(out, "%-26s %9s %9s %9s %9s\n", "time per frame (ms)", "median", "p95", "max", "mean");
    const auto row = [out](const char* name, const Summary& s) {
        std::fprintf(out, "%-26s %9.2f %9.2f %9.2f %9.2f\n", name, s.median, s.p95, s.max, s.mean);
    };
    row("demo frame", f.frame);
    row("demo CPU issue", f.issue);
    row("floor frame", f.floorFrame);
    row("floor CPU issue", f.floorIssue);
    for (int kind = 0; kind < 3; ++kind) {
        if (f.frameByPathKind[kind].count == 0) continue;
        const std::string name = format("demo frame, %s (%d)", BenchFigures::pathKindName(kind),
                                        f.frameByPathKind[kind].count);
        row(name.c_str(), f.frameByPathKind[kind]);
    }
    std::fprintf(out, "\nframes per second: demo %.2f (%.2f at the median frame), floor %.2f\n", f.fps,
                 f.fpsAtMedian, f.floorFps);
    std::fprintf(out, "demo median / floor median: %.2f (goal <= %.0f)\n\n", f.ratio, BenchFigures::RatioGoal);
}

void BenchReport::printPasses(std::FILE* out) const {
    const BenchFigures& f = figures;
    std::fprintf(out, "%-16s %10s %9s %9s %9s %8s %10s\n", "pass (ms)", "GPU median", "p95", "max", "mean",
                 "share", "CPU median");
    double gpuSum = 0.0;
    double cpuSum = 0.0;
    for (int index = 0; index < PassCount; ++index) {
        const Summary& gpu = f.gpu[index];
        const Summary& cpu = f.cpu[index];
        cpuSum += cpu.median;
        if (!hasGpuTime(passAt(index))) {
            std::fprintf(out, "%-16s %10s %9s %9s %9s %8s %10.2f\n", passName(passAt(index)), "-", "-", "-", "-",
                         "", cpu.median);
            continue;
        }
        gpuSum += gpu.median;
        const double share = f.frame.median > 0.0 ? 100.0 * gpu.median / f.frame.median : 0.0;
        std::fprintf(out, "%-16s %10.2f %9.2f %9.2f %9.2f %7.1f%% %10.2f\n", passName(passAt(index)), gpu.median,
                     gpu.p95, gpu.max, gpu.mean, share, cpu.median);
    }
    std::fprintf(out, "%-16s %10.2f %48.2f\n", "sum of medians", gpuSum, cpuSum);
    std::fprintf(out, "(share: GPU median of the pass over the demo's median frame)\n");
    std::fprintf(out, "most expensive passes (GPU median):");
    const std::vector<int> order = f.passesByCost();
    for (std::size_t i = 0; i < order.size() && i < 3; ++i)
        std::fprintf(out, "%s %s %.2f ms", i ? "," : "", passName(passAt(order[i])), f.gpu[order[i]].median);
    std::fprintf(out, "\n\n");
}

void BenchReport::printMemoryAndGoals(std::FILE* out) const {
    const BenchFigures& f = figures;
    std::fprintf(out, "memory: peak resident %.1f MiB; resident mean over the first %d frames %.1f MiB, "
                      "over the last %d %.1f MiB, growth %+.0f KiB\n",
                 mib(static_cast<double>(f.peakKb)), f.memoryWindow, mib(f.firstResidentKb), f.memoryWindow,
                 mib(f.lastResidentKb), f.growthKb);
    std::fprintf(out, "GL errors during the run: %d\n\n", f.info.glErrors);
    const double refresh = f.gpu[static_cast<int>(Quessel::Pass::EnvironmentMap)].median;
    std::fprintf(out, "goal: demo median within %.0f x floor median: %s (%.2f)\n", BenchFigures::RatioGoal,
                 verdict(f.ratioMet()), f.ratio);
    std::fprintf(out, "goal: environment-map refresh <= a third of the median frame: %s (%.2f of %.2f ms)\n",
                 verdict(f.environmentMapMet()), refresh, f.frame.median / 3.0);
    std::fprintf(out, "goal: memory flat (growth <= %ld KiB): %s (%+.0f KiB)\n\n", BenchFigures::FlatGrowthKb,
                 verdict(f.memoryFlat()), f.growthKb);
}

std::string BenchReport::jsonLine() const {
    const BenchFigures& f = figures;
    std::string json = "{\"bench\":\"quessel\",\"version\":1";
    json += ",\"renderer\":" + jsonString(f.info.renderer) + ",\"gl_version\":" + jsonString(f.info.version);
    json += format(",\"width\":%d,\"height\":%d,\"samples\":%d", f.info.width, f.info.height, f.info.samples);
    json += format(",\"frames\":%d,\"floor_frames\":%d", f.frame.count, f.floorFrame.count);
    json += ",\"step_s\":" + jsonNumber(f.options.step) + ",\"start_s\":" + jsonNumber(f.info.startSeconds);
    json += ",\"setup_s\":" + jsonNumber(f.info.setupSeconds);
    json += ",\"load_before\":" + jsonNumber(f.info.loadBefore) + ",\"load_after\":" + jsonNumber(f.info.loadAfter);
    json += std::string(",\"sync_passes\":") + (f.options.syncPasses ? "true" : "false");
    json += ",\"frame_ms\":" + jsonSummary(f.frame) + ",\"cpu_issue_ms\":" + jsonSummary(f.issue);
    json += ",\"fps\":" + jsonNumber(f.fps) + ",\"fps_at_median\":" + jsonNumber(f.fpsAtMedian);
    json += ",\"frame_ms_by_path\":{";
    bool first = true;
    for (int kind = 0; kind < 3; ++kind) {
        if (f.frameByPathKind[kind].count == 0) continue;
        json += std::string(first ? "" : ",") + "\"" + BenchFigures::pathKindName(kind) + "\":" +
                jsonSummary(f.frameByPathKind[kind]);
        first = false;
    }
    json += "},\"passes\":{";
    for (int index = 0; index < PassCount; ++index) {
        json += std::string(index ? "," : "") + "\"" + passName(passAt(index)) + "\":{";
        if (hasGpuTime(passAt(index))) json += "\"gpu_ms\":" + jsonSummary(f.gpu[index]) + ",";
        json += "\"cpu_ms\":" + jsonSummary(f.cpu[index]) + "}";
    }
    json += "},\"floor\":{\"frame_ms\":" + jsonSummary(f.floorFrame) +
            ",\"cpu_issue_ms\":" + jsonSummary(f.floorIssue) + ",\"fps\":" + jsonNumber(f.floorFps) + "}";
    json += ",\"ratio\":" + jsonNumber(f.ratio);
    json += format(",\"memory\":{\"peak_kb\":%ld,\"window_frames\":%d", f.peakKb, f.memoryWindow);
    json += ",\"first_kb\":" + jsonNumber(f.firstResidentKb) + ",\"last_kb\":" + jsonNumber(f.lastResidentKb) +
            ",\"growth_kb\":" + jsonNumber(f.growthKb) + "}";
    json += format(",\"gl_errors\":%d", f.info.glErrors);
    json += std::string(",\"goals\":{\"ratio_within_3\":") + (f.ratioMet() ? "true" : "false") +
            ",\"environment_map_within_third\":" + (f.environmentMapMet() ? "true" : "false") +
            ",\"memory_flat\":" + (f.memoryFlat() ? "true" : "false") + "}}";
    return json;
}

}  // namespace QuesselBench
