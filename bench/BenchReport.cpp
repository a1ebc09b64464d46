#include "bench/BenchReport.h"

#include <fmt/core.h>
#include <nlohmann/json.hpp>

#include <cmath>

namespace Quessel::Bench {

namespace {
using Json = nlohmann::ordered_json;

// Four decimals, as runs have always been compared; JSON has no NaN or infinity, so a
// figure that could not be measured is 0.
double number(double value) { return std::isfinite(value) ? std::round(value * 1e4) / 1e4 : 0.0; }

Json summary(const Summary& s) {
    return {{"median", number(s.median)}, {"p95", number(s.p95)}, {"max", number(s.max)}, {"mean", number(s.mean)}};
}

// The floor has no passes.
Json series(const BenchFigures::Series& s, bool passes) {
    Json json{{"frame_ms", summary(s.frame)}, {"cpu_issue_ms", summary(s.issue)}, {"fps", number(s.fps)}};
    if (!passes) return json;
    json["fps_at_median"] = number(s.fpsAtMedian);
    Json& times = json["passes"] = Json::object();
    for (int index = 0; index < PassCount; ++index) {
        Json& pass = times[passName(passAt(index))] = Json::object();
        if (hasGpuTime(passAt(index))) pass["gpu_ms"] = summary(s.gpu[index]);
        pass["cpu_ms"] = summary(s.cpu[index]);
    }
    return json;
}

Json ratios(const BenchFigures::Block& b) {
    return {{"ratio_to_required", number(b.demoToRequired)},
            {"ratio", number(b.demoToFloor)},
            {"required_to_floor", number(b.requiredToFloor)},
            {"environment_map_to_required", number(b.environmentMapToRequired)}};
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }
}  // namespace

void BenchReport::printTable(std::FILE* out) const {
    const RunInfo& info = f.info;
    fmt::print(
        out,
        "\nquessel-bench: {} demo, {} required-work and {} floor frames, blocks of {} of each in turn; "
        "{:.3f} s simulated per scene frame from t = {:.1f} s\n{}, OpenGL {}, window {} x {}, {} samples; "
        "set-up {:.1f} s\nload average {:.2f} before, {:.2f} after{}\n\n",
        f.demo.frame.count, f.required.frame.count, f.floor.frame.count, f.options.block, f.options.step,
        info.startSeconds, info.renderer, info.version, info.width, info.height, info.samples, info.setupSeconds,
        info.loadBefore, info.loadAfter,
        f.options.syncPasses ? "; passes synchronised (glFinish after each): frame times are not the demo's" : "");
    fmt::print(out, "{:<44} {:>10} {:>13}\n", "ratio (of medians)", "whole run", "block median");
    const auto ratio = [out](const char* name, double whole, double block) {
        fmt::print(out, "{:<44} {:>10.2f} {:>13.2f}\n", name, whole, block);
    };
    ratio("demo / required-work frame", f.ratioToRequired, f.blockMedians.demoToRequired);
    ratio("environment-map refresh / its required work", f.environmentMapToRequired,
          f.blockMedians.environmentMapToRequired);
    ratio("demo / floor frame", f.ratio, f.blockMedians.demoToFloor);
    ratio("required-work / floor frame", f.requiredToFloor, f.blockMedians.requiredToFloor);
    const SwapCheck& check = info.swapCheck;
    fmt::print(out,
               "swap check: required-work frame {:.1f} off the demo's per channel; demo after swapping back {:.2f} "
               "off, {:.3f} % of pixels by more than 32; {} GL errors: {}\n\n",
               check.requiredMeanDifference, check.restoredMeanDifference, 100.0 * check.restoredLargeShare,
               check.glErrors, check.passed() ? "passed" : "FAILED");
    printFrames(out);
    printPasses(out);
    printGoals(out);
}

void BenchReport::printFrames(std::FILE* out) const {
    fmt::print(out, "{:<30} {:>9} {:>9} {:>9} {:>9}\n", "time per frame (ms)", "median", "p95", "max", "mean");
    const auto row = [out](const std::string& name, const Summary& s) {
        fmt::print(out, "{:<30} {:>9.2f} {:>9.2f} {:>9.2f} {:>9.2f}\n", name, s.median, s.p95, s.max, s.mean);
    };
    for (const auto& [name, series] : {std::make_pair("demo", &f.demo), std::make_pair("required-work", &f.required),
                                       std::make_pair("floor", &f.floor)}) {
        row(fmt::format("{} frame", name), series->frame);
        row(fmt::format("{} CPU issue", name), series->issue);
    }
    for (int kind = 0; kind < 3; ++kind) {
        const Summary& s = f.frameByPathKind[kind];
        if (s.count) row(fmt::format("demo frame, {} ({})", BenchFigures::pathKindName(kind), s.count), s);
    }
    fmt::print(out,
               "\nframes per second: demo {:.2f} ({:.2f} at the median frame), required work {:.2f}, floor {:.2f}\n\n",
               f.demo.fps, f.demo.fpsAtMedian, f.required.fps, f.floor.fps);
}

void BenchReport::printPasses(std::FILE* out) const {
    fmt::print(out, "{:<16} {:>10} {:>9} {:>9} {:>8} {:>10} | {:>13} {:>10} {:>7}\n", "pass (ms)", "GPU median", "p95",
               "max", "share", "CPU median", "required GPU", "CPU median", "demo /");
    double gpuSum = 0.0;
    double requiredSum = 0.0;
    for (int index = 0; index < PassCount; ++index) {
        const char* name = passName(passAt(index));
        const Summary& gpu = f.demo.gpu[index];
        const Summary& required = f.required.gpu[index];
        if (!hasGpuTime(passAt(index))) {
            fmt::print(out, "{:<16} {:>10} {:>9} {:>9} {:>8} {:>10.2f} | {:>13} {:>10.2f}\n", name, "-", "-", "-", "",
                       f.demo.cpu[index].median, "-", f.required.cpu[index].median);
            continue;
        }
        gpuSum += gpu.median;
        requiredSum += required.median;
        const double share = f.demo.frame.median > 0.0 ? 100.0 * gpu.median / f.demo.frame.median : 0.0;
        const double over = required.median > 0.0 ? gpu.median / required.median : 0.0;
        fmt::print(out, "{:<16} {:>10.2f} {:>9.2f} {:>9.2f} {:>7.1f}% {:>10.2f} | {:>13.2f} {:>10.2f} {:>7.2f}\n", name,
                   gpu.median, gpu.p95, gpu.max, share, f.demo.cpu[index].median, required.median,
                   f.required.cpu[index].median, over);
    }
    fmt::print(out, "{:<16} {:>10.2f} {:>50.2f}\n(share: GPU median of the pass over the demo's median frame)\n\n",
               "sum of medians", gpuSum, requiredSum);
}

void BenchReport::printGoals(std::FILE* out) const {
    fmt::print(out,
               "memory: peak resident {:.1f} MiB; resident mean over the first {} frames {:.1f} MiB, over the last "
               "{} {:.1f} MiB, growth {:+.0f} KiB\n",
               f.peakKb / 1024.0, f.memoryWindow, f.firstResidentKb / 1024.0, f.memoryWindow, f.lastResidentKb / 1024.0,
               f.growthKb);
    fmt::print(out, "GL errors: demo frames {}, required-work frames {}, floor frames {}, swaps {}\n\n",
               f.info.glErrors[0], f.info.glErrors[1], f.info.glErrors[2], f.info.swapGlErrors);
    fmt::print(out, "goal: demo median within {:.1f} x the required-work median: {} ({:.2f})\n",
               BenchFigures::RequiredGoal, verdict(f.requiredMet()), f.ratioToRequired);
    fmt::print(out, "goal: environment-map refresh within {:.1f} x its required-work cost: {} ({:.2f} of {:.2f} ms)\n",
               BenchFigures::EnvironmentMapGoal, verdict(f.environmentMapMet()), f.demo.refresh().median,
               f.required.refresh().median);
    fmt::print(out, "goal: demo median within {:.0f} x the floor median: {} ({:.2f})\n", BenchFigures::FloorGoal,
               verdict(f.floorMet()), f.ratio);
    fmt::print(out, "goal: memory flat (growth <= {} KiB): {} ({:+.0f} KiB)\n", BenchFigures::FlatGrowthKb,
               verdict(f.memoryFlat()), f.growthKb);
    fmt::print(out, "goal: no GL error: {} ({})\n\n", verdict(f.noGlError()), f.glErrors());
}

std::string BenchReport::jsonLine() const {
    const RunInfo& info = f.info;
    Json json{{"bench", "quessel"},
              {"version", 2},
              {"renderer", info.renderer},
              {"gl_version", info.version},
              {"width", info.width},
              {"height", info.height},
              {"samples", info.samples},
              {"frames", f.demo.frame.count},
              {"required_frames", f.required.frame.count},
              {"floor_frames", f.floor.frame.count},
              {"block", f.options.block},
              {"step_s", number(f.options.step)},
              {"start_s", number(info.startSeconds)},
              {"end_s", number(info.endSeconds)},
              {"setup_s", number(info.setupSeconds)},
              {"load_before", number(info.loadBefore)},
              {"load_after", number(info.loadAfter)},
              {"sync_passes", f.options.syncPasses}};
    json.update(series(f.demo, true));
    Json& byPath = json["frame_ms_by_path"] = Json::object();
    for (int kind = 0; kind < 3; ++kind)
        if (f.frameByPathKind[kind].count) byPath[BenchFigures::pathKindName(kind)] = summary(f.frameByPathKind[kind]);
    json["required"] = series(f.required, true);
    json["floor"] = series(f.floor, false);
    json["ratio"] = number(f.ratio);
    json["ratio_to_required"] = number(f.ratioToRequired);
    json["required_to_floor"] = number(f.requiredToFloor);
    json["environment_map_to_required"] = number(f.environmentMapToRequired);
    json["block_medians"] = ratios(f.blockMedians);
    Json& blocks = json["blocks"] = Json::array();
    for (const BenchFigures::Block& b : f.blocks) {
        blocks.push_back({{"demo_ms", number(b.demoMs)},
                          {"required_ms", number(b.requiredMs)},
                          {"floor_ms", number(b.floorMs)},
                          {"environment_map_ms", number(b.demoRefreshMs)},
                          {"required_environment_map_ms", number(b.requiredRefreshMs)}});
        blocks.back().update(ratios(b));
    }
    json["memory"] = {{"peak_kb", f.peakKb},
                      {"window_frames", f.memoryWindow},
                      {"first_kb", number(f.firstResidentKb)},
                      {"last_kb", number(f.lastResidentKb)},
                      {"growth_kb", number(f.growthKb)}};
    json["gl_errors"] = f.glErrors();
    json["gl_errors_by_kind"] = {{"demo", info.glErrors[0]},
                                 {"required", info.glErrors[1]},
                                 {"floor", info.glErrors[2]},
                                 {"swaps", info.swapGlErrors}};
    const SwapCheck& check = info.swapCheck;
    json["swap_check"] = {{"gl_errors", check.glErrors},
                          {"required_mean_difference", number(check.requiredMeanDifference)},
                          {"restored_mean_difference", number(check.restoredMeanDifference)},
                          {"restored_large_share", number(check.restoredLargeShare)},
                          {"passed", check.passed()}};
    json["goals"] = {{"demo_within_2x_required", f.requiredMet()},
                     {"environment_map_within_2x_required", f.environmentMapMet()},
                     {"ratio_within_7", f.floorMet()},
                     {"memory_flat", f.memoryFlat()},
                     {"no_gl_error", f.noGlError()}};
    return json.dump();
}

}  // namespace Quessel::Bench
