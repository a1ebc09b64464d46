#include "bench/BenchFigures.h"

#include "core/ToolReport.h"

#include <fmt/format.h>
#include <spawn.h>
#include <sys/wait.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <numeric>

extern char** environ;

namespace Quessel::Bench {

namespace {
using Json = nlohmann::ordered_json;
using Summary = BenchFigures::Summary;
using Block = BenchFigures::Block;

double quotient(double over, double under) { return over > 0.0 && under > 0.0 ? over / under : 0.0; }

// The name of a path row's kind (CameraPath::Kind), "-" for none.
const char* pathKindName(int kind) { return kind >= 0 ? std::array{"move", "turn", "hold"}[kind] : "-"; }

// An object from alternating keys and values, in that order.
Json object(std::initializer_list<Json> keysAndValues) {
    Json json = Json::object();
    for (auto at = keysAndValues.begin(); at != keysAndValues.end(); at += 2) json[at->get<std::string>()] = at[1];
    return json;
}

// Four decimals, as runs have always been compared; JSON has no NaN or infinity, so a
// figure that could not be measured is 0.
void roundNumbers(Json& json) {
    if (json.is_number_float()) {
        const double value = json;
        json = std::isfinite(value) ? std::round(value * 1e4) / 1e4 : 0.0;
    }
    if (json.is_structured())
        for (Json& child : json) roundNumbers(child);
}

Json summary(const Summary& s) { return object({"median", s.median, "p95", s.p95, "max", s.max, "mean", s.mean}); }

// The floor has no passes.
Json series(const BenchFigures::Series& s, bool passes) {
    Json json = object({"frame_ms", summary(s.frame), "cpu_issue_ms", summary(s.issue), "fps", s.fps});
    if (!passes) return json;
    json["fps_at_median"] = s.fpsAtMedian;
    Json& times = json["passes"] = Json::object();
    for (int index = 0; index < PassCount; ++index) {
        Json& pass = times[passName(passAt(index))] = Json::object();
        if (hasGpuTime(passAt(index))) pass["gpu_ms"] = summary(s.gpu[index]);
        pass["cpu_ms"] = summary(s.cpu[index]);
    }
    return json;
}

Json ratios(const Block& b) {
    return object({"ratio_to_required", b.demoToRequired, "ratio", b.demoToFloor, "required_to_floor",
                   b.requiredToFloor, "environment_map_to_required", b.environmentMapToRequired});
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

void printFrames(std::FILE* out, const BenchFigures& f) {
    fmt::print(out, "{:<30} {:>9} {:>9} {:>9} {:>9}\n", "time per frame (ms)", "median", "p95", "max", "mean");
    const auto row = [out](const std::string& name, const Summary& s) {
        fmt::print(out, "{:<30} {:>9.2f} {:>9.2f} {:>9.2f} {:>9.2f}\n", name, s.median, s.p95, s.max, s.mean);
    };
    for (const auto& [name, series] : {std::make_pair("demo", &f.demo), std::make_pair("required-work", &f.required),
                                       std::make_pair("floor", &f.floor)}) {
        if (series == &f.required && f.options.brought()) continue;
        row(fmt::format("{} frame", name), series->frame);
        row(fmt::format("{} CPU issue", name), series->issue);
    }
    for (int kind = 0; kind < 3; ++kind)
        if (const Summary& s = f.frameByPathKind[kind]; s.count)
            row(fmt::format("demo frame, {} ({})", pathKindName(kind), s.count), s);
    fmt::print(out, "\nframes per second: demo {:.2f} ({:.2f} at the median frame), {}floor {:.2f}\n\n", f.demo.fps,
               f.demo.fpsAtMedian, f.options.brought() ? "" : fmt::format("required work {:.2f}, ", f.required.fps),
               f.floor.fps);
}

// What the run ran on, its set-up and the machine's load around it; the heading's last lines.
void printMachine(std::FILE* out, const BenchFigures& f) {
    const RunInfo& info = f.info;
    fmt::print(out, "{}, OpenGL {}, window {} x {}, {} samples; set-up {:.1f} s\nload average {:.2f} before, {:.2f} after{}\n\n",
               info.renderer, info.version, info.width, info.height, info.samples, info.setupSeconds, info.loadBefore,
               info.loadAfter,
               f.options.syncPasses ? "; passes synchronised (glFinish after each): frame times are not the demo's" : "");
}

// A brought scene's table has the demo's columns alone: it has no required-work frames.
void printPasses(std::FILE* out, const BenchFigures& f) {
    const bool required = !f.options.brought();
    const auto withRequired = [required](const std::string& text) {
        return required ? text : text.substr(0, text.find(" |"));
    };
    fmt::print(out, "{}\n",
               withRequired(fmt::format("{:<16} {:>10} {:>9} {:>9} {:>8} {:>10} | {:>13} {:>10} {:>7}", "pass (ms)",
                                        "GPU median", "p95", "max", "share", "CPU median", "required GPU", "CPU median",
                                        "demo /")));
    double gpuSum = 0.0, requiredSum = 0.0;
    for (int index = 0; index < PassCount; ++index) {
        const bool timed = hasGpuTime(passAt(index));
        const Summary& gpu = f.demo.gpu[index];
        const Summary& required = f.required.gpu[index];
        // A pass without GL work has its CPU times only (and GPU times of zero).
        const auto ms = [timed](double value) { return timed ? fmt::format("{:.2f}", value) : std::string("-"); };
        gpuSum += gpu.median;
        requiredSum += required.median;
        fmt::print(out, "{}\n",
                   withRequired(fmt::format(
                       "{:<16} {:>10} {:>9} {:>9} {:>8} {:>10.2f} | {:>13} {:>10.2f}{}", passName(passAt(index)),
                       ms(gpu.median), ms(gpu.p95), ms(gpu.max),
                       timed ? fmt::format("{:.1f}%", 100.0 * quotient(gpu.median, f.demo.frame.median)) : "",
                       f.demo.cpu[index].median, ms(required.median), f.required.cpu[index].median,
                       timed ? fmt::format(" {:>7.2f}", quotient(gpu.median, required.median)) : "")));
    }
    fmt::print(out, "{:<16} {:>10.2f}{}\n(share: GPU median of the pass over the demo's median frame)\n\n",
               "sum of medians", gpuSum, required ? fmt::format(" {:>50.2f}", requiredSum) : "");
}

// Our scene's goals for the frame times.
void printTimeGoals(std::FILE* out, const BenchFigures& f) {
    fmt::print(out, "goal: demo median within {:.1f} x the required-work median: {} ({:.2f})\n",
               BenchFigures::RequiredGoal, verdict(f.requiredMet()), f.whole.demoToRequired);
    fmt::print(out, "goal: environment-map refresh within {:.1f} x its required-work cost: {} ({:.2f} of {:.2f} ms)\n",
               BenchFigures::EnvironmentMapGoal, verdict(f.environmentMapMet()), f.demo.refresh().median,
               f.required.refresh().median);
    fmt::print(out, "goal: demo median within {:.0f} x the floor median: {} ({:.2f})\n", BenchFigures::FloorGoal,
               verdict(f.floorMet()), f.whole.demoToFloor);
}

// A brought scene has no required-work frames or swaps to count, and no frame-time goals:
// those are set for our scene.
void printGoals(std::FILE* out, const BenchFigures& f) {
    fmt::print(out,
               "scene: {} triangles; resident {:.1f} MiB before the window opened, {:.1f} MiB after set-up: {:.0f} B "
               "a triangle (the GL driver's start-up included)\n",
               f.info.triangles, f.info.residentBeforeKb / 1024.0, f.info.residentAfterSetupKb / 1024.0,
               f.bytesPerTriangle());
    if (f.mainDraws.views > 0)
        fmt::print(out,
                   "drawn per view (parts: a mesh, or a chunk of a big one): main view {:.1f} % of {:.0f} parts a view; "
                   "cube-map faces {:.1f} % over {} face views{}\n",
                   100.0 * f.mainDraws.share(), static_cast<double>(f.mainDraws.parts) / f.mainDraws.views,
                   100.0 * f.faceDraws.share(), f.faceDraws.views, f.faceDraws.views ? "" : " (none refreshed)");
    fmt::print(out,
               "memory: peak resident {:.1f} MiB; resident mean over the first {} frames {:.1f} MiB, over the last "
               "{} {:.1f} MiB, growth {:+.0f} KiB\n",
               f.peakKb / 1024.0, f.memoryWindow, f.firstResidentKb / 1024.0, f.memoryWindow, f.lastResidentKb / 1024.0,
               f.growthKb);
    if (f.options.brought()) {
        fmt::print(out, "GL errors: demo frames {}, floor frames {}\n\n", f.info.glErrors[0], f.info.glErrors[2]);
    } else {
        fmt::print(out, "GL errors: demo frames {}, required-work frames {}, floor frames {}, swaps {}\n\n",
                   f.info.glErrors[0], f.info.glErrors[1], f.info.glErrors[2], f.info.swapGlErrors);
        printTimeGoals(out, f);
    }
    fmt::print(out, "goal: memory flat (growth <= {} KiB): {} ({:+.0f} KiB)\n", BenchFigures::FlatGrowthKb,
               verdict(f.memoryFlat()), f.growthKb);
    fmt::print(out, "goal: no GL error: {} ({})\n\n", verdict(f.noGlError()), f.glErrors());
}

// A gnuplot string in single quotes, where only the quote itself needs doubling.
std::string gnuplotText(const std::string& text) {
    std::string result = "'";
    for (const char c : text) result += c == '\'' ? std::string("''") : std::string(1, c);
    return result + "'";
}

}  // namespace

BenchFigures::Summary BenchFigures::Summary::of(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const std::size_t rank = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(n)));
    return {static_cast<int>(n), n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]),
            values[std::max<std::size_t>(rank, 1) - 1], values.back(),
            std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(n)};
}

BenchFigures::Series BenchFigures::Series::of(const std::vector<FrameSample>& samples, FrameKind kind, int block) {
    const auto summary = [&](auto field) {
        std::vector<double> values;
        for (const FrameSample& s : samples)
            if (s.kind == kind && (block < 0 || s.block == block)) values.push_back(field(s));
        return Summary::of(std::move(values));
    };
    Series series;
    series.frame = summary([](const FrameSample& s) { return s.frameMs; });
    series.issue = summary([](const FrameSample& s) { return s.issueMs; });
    for (int index = 0; index < PassCount; ++index) {
        series.gpu[index] = summary([index](const FrameSample& s) { return s.gpuMs[index]; });
        series.cpu[index] = summary([index](const FrameSample& s) { return s.cpuMs[index]; });
    }
    series.fps = quotient(1000.0, series.frame.mean);
    series.fpsAtMedian = quotient(1000.0, series.frame.median);
    return series;
}

BenchFigures::Block BenchFigures::Block::of(const std::vector<FrameSample>& samples, int block) {
    const Series demo = Series::of(samples, FrameKind::Demo, block);
    const Series required = Series::of(samples, FrameKind::Required, block);
    const double floorMs = Series::of(samples, FrameKind::Floor, block).frame.median;
    Block b{demo.frame.median, required.frame.median, floorMs, demo.refresh().median, required.refresh().median};
    b.demoToRequired = quotient(b.demoMs, b.requiredMs);
    b.demoToFloor = quotient(b.demoMs, b.floorMs);
    b.requiredToFloor = quotient(b.requiredMs, b.floorMs);
    b.environmentMapToRequired = quotient(b.demoRefreshMs, b.requiredRefreshMs);
    return b;
}

double BenchFigures::bytesPerTriangle() const {
    if (info.triangles == 0) return 0.0;
    return 1024.0 * static_cast<double>(info.residentAfterSetupKb - info.residentBeforeKb) /
           static_cast<double>(info.triangles);
}

int BenchFigures::glErrors() const {
    return std::accumulate(info.glErrors.begin(), info.glErrors.end(), info.swapGlErrors);
}

BenchFigures BenchFigures::compute(const BenchOptions& options, const RunInfo& info,
                                   const std::vector<FrameSample>& samples) {
    BenchFigures f;
    f.options = options;
    f.info = info;
    f.samples = samples;
    f.demo = Series::of(samples, FrameKind::Demo);
    f.required = Series::of(samples, FrameKind::Required);
    f.floor = Series::of(samples, FrameKind::Floor);
    std::array<std::vector<double>, 3> byPathKind;
    for (const FrameSample& s : samples)
        if (s.kind == FrameKind::Demo && s.pathKind >= 0) byPathKind[s.pathKind].push_back(s.frameMs);
    for (int kind = 0; kind < 3; ++kind) f.frameByPathKind[kind] = Summary::of(byPathKind[kind]);
    f.whole = Block::of(samples, -1);

    // In run order, the last frame is in the last round.
    for (int block = 0; !samples.empty() && block <= samples.back().block; ++block)
        f.blocks.push_back(Block::of(samples, block));
    for (double Block::*ratio :
         {&Block::demoToRequired, &Block::demoToFloor, &Block::requiredToFloor, &Block::environmentMapToRequired}) {
        std::vector<double> values;
        for (const Block& block : f.blocks)
            if (block.*ratio > 0.0) values.push_back(block.*ratio);
        f.blockMedians.*ratio = Summary::of(std::move(values)).median;
    }

    // The kernel syncs VmHWM lazily, a few pages behind the VmRSS read after a frame.
    f.peakKb = info.peakKb;
    for (const FrameSample& sample : samples) f.peakKb = std::max(f.peakKb, sample.residentKb);
    for (const FrameSample& sample : samples) {
        if (sample.kind != FrameKind::Demo) continue;
        f.mainDraws += sample.mainDraws;
        f.faceDraws += sample.faceDraws;
    }
    const std::size_t n = samples.size();
    if (n == 0) return f;
    const std::size_t window = std::max<std::size_t>(1, std::min<std::size_t>(100, n / 2));
    const auto meanResident = [&samples, window](std::size_t first) {
        return std::accumulate(samples.begin() + first, samples.begin() + first + window, 0.0,
                               [](double sum, const FrameSample& s) { return sum + s.residentKb; }) /
               window;
    };
    f.memoryWindow = static_cast<int>(window);
    f.firstResidentKb = meanResident(0);
    f.lastResidentKb = meanResident(n - window);
    f.growthKb = f.lastResidentKb - f.firstResidentKb;
    return f;
}

void BenchFigures::printTable(std::FILE* out) const {
    if (options.brought()) return printBroughtTable(out);
    const BenchFigures& f = *this;
    const RunInfo& info = f.info;
    fmt::print(out,
               "\nquessel-bench: {} demo, {} required-work and {} floor frames, blocks of {} of each in turn; "
               "{:.3f} s simulated per scene frame from t = {:.1f} s\n",
               f.demo.frame.count, f.required.frame.count, f.floor.frame.count, f.options.block, f.options.step,
               info.startSeconds);
    printMachine(out, f);
    fmt::print(out, "{:<44} {:>10} {:>13}\n", "ratio (of medians)", "whole run", "block median");
    const auto ratio = [&](const char* name, double Block::*field) {
        fmt::print(out, "{:<44} {:>10.2f} {:>13.2f}\n", name, f.whole.*field, f.blockMedians.*field);
    };
    ratio("demo / required-work frame", &Block::demoToRequired);
    ratio("environment-map refresh / its required work", &Block::environmentMapToRequired);
    ratio("demo / floor frame", &Block::demoToFloor);
    ratio("required-work / floor frame", &Block::requiredToFloor);
    const SwapCheck& check = info.swapCheck;
    fmt::print(out,
               "swap check: required-work frame {:.1f} off the demo's per channel; demo after swapping back {:.2f} "
               "off, {:.3f} % of pixels by more than 32; {} GL errors: {}\n\n",
               check.requiredMeanDifference, check.restoredMeanDifference, 100.0 * check.restoredLargeShare,
               check.glErrors, check.passed() ? "passed" : "FAILED");
    printFrames(out, f);
    printPasses(out, f);
    printGoals(out, f);
}

void BenchFigures::printBroughtTable(std::FILE* out) const {
    const BenchFigures& f = *this;
    fmt::print(out,
               "\nquessel-bench: {} demo and {} floor frames of a brought scene, blocks of {} of each in turn; {:.3f} s "
               "simulated per demo frame from t = {:.1f} s along its tour\nscene {}; {}\n",
               f.demo.frame.count, f.floor.frame.count, f.options.block, f.options.step, f.info.startSeconds,
               sceneDescription(), lookDescription());
    printMachine(out, f);
    fmt::print(out, "{:<44} {:>10} {:>13}\n{:<44} {:>10.2f} {:>13.2f}\n", "ratio (of medians)", "whole run",
               "block median", "demo / floor frame", f.whole.demoToFloor, f.blockMedians.demoToFloor);
    fmt::print(out, "required-work frames: {}\n\n", RequiredLeftOut);
    printFrames(out, f);
    printPasses(out, f);
    printGoals(out, f);
}

std::string BenchFigures::sceneDescription() const {
    std::string text = options.scene;
    if (!options.mirrors.empty()) text += fmt::format(", mirrors {}", fmt::join(options.mirrors, ", "));
    if (!options.glass.empty()) text += fmt::format(", glass {}", fmt::join(options.glass, ", "));
    return text;
}

std::string BenchFigures::lookDescription() const {
    if (options.look.look == "demo") return "look demo (the demo's shading)";
    return fmt::format("look own (environment {}, background {})",
                       options.look.sky.empty() ? "the studio made in code" : options.look.sky,
                       options.look.background);
}

// A brought scene's line has its scene and look and leaves out what only required-work
// frames give (their series, the ratios to them, the swap check) and our scene's goals.
std::string BenchFigures::jsonLine() const {
    const bool ours = !options.brought();
    const SwapCheck& check = info.swapCheck;
    Json json = object({"bench", "quessel", "version", 2, "renderer", info.renderer, "gl_version", info.version,
                        "width", info.width, "height", info.height, "samples", info.samples});
    if (!ours) {
        json.update(object({"scene", options.scene, "look", options.look.look}));
        if (options.look.look == "own")
            json.update(object({"sky", options.look.sky.empty() ? "studio" : options.look.sky, "background",
                                options.look.background}));
        json.update(object({"mirrors", options.mirrors, "glass", options.glass}));
    }
    json.update(object({"frames", demo.frame.count, "required_frames", required.frame.count, "floor_frames",
                        floor.frame.count, "block", options.block, "step_s", options.step}));
    json.update(
        object({"start_s", info.startSeconds, "end_s", info.endSeconds, "setup_s", info.setupSeconds, "load_before",
                info.loadBefore, "load_after", info.loadAfter, "sync_passes", options.syncPasses}));
    json.update(series(demo, true));
    Json& byPath = json["frame_ms_by_path"] = Json::object();
    for (int kind = 0; kind < 3; ++kind)
        if (frameByPathKind[kind].count) byPath[pathKindName(kind)] = summary(frameByPathKind[kind]);
    if (ours)
        json["required"] = series(required, true);
    else
        json["required_work"] = RequiredLeftOut;
    json["floor"] = series(floor, false);
    json.update(
        ours ? object({"ratio", whole.demoToFloor, "ratio_to_required", whole.demoToRequired, "required_to_floor",
                       whole.requiredToFloor, "environment_map_to_required", whole.environmentMapToRequired})
             : object({"ratio", whole.demoToFloor}));
    json["block_medians"] = ours ? ratios(blockMedians) : object({"ratio", blockMedians.demoToFloor});
    Json& blockList = json["blocks"] = Json::array();
    for (const Block& b : blocks) {
        if (!ours) {
            blockList.push_back(object({"demo_ms", b.demoMs, "floor_ms", b.floorMs, "environment_map_ms",
                                        b.demoRefreshMs, "ratio", b.demoToFloor}));
            continue;
        }
        blockList.push_back(
            object({"demo_ms", b.demoMs, "required_ms", b.requiredMs, "floor_ms", b.floorMs, "environment_map_ms",
                    b.demoRefreshMs, "required_environment_map_ms", b.requiredRefreshMs}));
        blockList.back().update(ratios(b));
    }
    json["memory"] = object({"peak_kb", peakKb, "window_frames", memoryWindow, "first_kb", firstResidentKb, "last_kb",
                             lastResidentKb, "growth_kb", growthKb, "before_window_kb", info.residentBeforeKb,
                             "after_setup_kb", info.residentAfterSetupKb, "bytes_per_triangle", bytesPerTriangle()});
    json["triangles"] = info.triangles;
    const auto drawn = [](const DrawStats& d) {
        return object({"views", d.views, "parts", d.parts, "drawn", d.drawn, "share", d.share()});
    };
    if (mainDraws.views > 0) json["drawn"] = object({"main", drawn(mainDraws), "faces", drawn(faceDraws)});
    json["gl_errors"] = glErrors();
    json["gl_errors_by_kind"] = ours ? object({"demo", info.glErrors[0], "required", info.glErrors[1], "floor",
                                               info.glErrors[2], "swaps", info.swapGlErrors})
                                     : object({"demo", info.glErrors[0], "floor", info.glErrors[2]});
    if (ours)
        json["swap_check"] =
            object({"gl_errors", check.glErrors, "required_mean_difference", check.requiredMeanDifference,
                    "restored_mean_difference", check.restoredMeanDifference, "restored_large_share",
                    check.restoredLargeShare, "passed", check.passed()});
    json["goals"] = ours ? object({"demo_within_2x_required", requiredMet(), "environment_map_within_2x_required",
                                   environmentMapMet(), "ratio_within_7", floorMet(), "memory_flat", memoryFlat(),
                                   "no_gl_error", noGlError()})
                         : object({"memory_flat", memoryFlat(), "no_gl_error", noGlError()});
    roundNumbers(json);
    return json.dump();
}

bool BenchFigures::writeCsv(const std::string& path, std::string& error) const {
    // Block k of every kind spans the same width along the plot's axis: that of its scene
    // frames (the last block may be shorter), the floor frames spread over it.
    std::vector<int> floorPerBlock(blocks.size() + 1, 0);
    for (const FrameSample& s : samples)
        if (s.kind == FrameKind::Floor) ++floorPerBlock.at(s.block);
    const auto slotOf = [&](const FrameSample& s) {
        const double start = static_cast<double>(s.block * options.block);
        if (s.kind != FrameKind::Floor) return start + s.inBlock;
        const double width = std::min(static_cast<double>(options.block), slots() - start);
        return start + (s.inBlock + 0.5) * width / std::max(floorPerBlock[s.block], 1) - 0.5;
    };
    std::string text = "kind,block,slot,row,row_kind,frame_ms,issue_ms";
    for (int index = 0; index < PassCount; ++index)
        if (hasGpuTime(passAt(index))) text += std::string(",") + passName(passAt(index));
    text += ",resident_kb\n";
    for (const FrameKind kind : {FrameKind::Demo, FrameKind::Required, FrameKind::Floor}) {
        for (const FrameSample& s : samples) {
            if (s.kind != kind) continue;
            text += fmt::format("{},{},{:.3f},{},{},{:.4f},{:.4f}",
                                std::array{"demo", "required", "floor"}[static_cast<int>(kind)], s.block, slotOf(s),
                                s.pathStep, pathKindName(s.pathKind), s.frameMs, s.issueMs);
            for (int index = 0; index < PassCount; ++index)
                if (hasGpuTime(passAt(index))) text += fmt::format(",{:.4f}", s.gpuMs[index]);
            text += fmt::format(",{}\n", s.residentKb);
        }
    }
    const std::string partial = path + ".part";
    std::FILE* file = std::fopen(partial.c_str(), "w");
    const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file && std::fclose(file) == 0 && written && std::rename(partial.c_str(), path.c_str()) == 0) return true;
    error = "cannot write " + path + ": " + std::strerror(errno);
    std::remove(partial.c_str());
    return false;
}

BenchFigures::Plot BenchFigures::drawPlot(const std::string& csvPath, const std::string& svgPath,
                                          std::string& error) const {
    const std::string partial = svgPath + ".part";
    std::string passMs;
    for (int index = 0; index < PassCount; ++index)
        if (hasGpuTime(passAt(index))) passMs += fmt::format("{:.1f} ", demo.gpu[index].median);
    const std::string renderer =
        fmt::format("{}, {} x {}, {} samples", info.renderer, info.width, info.height, info.samples);
    // The run's figures as gnuplot assignments, for bench-plot.gp.
    const std::string settings = fmt::format(
        "csv={}; out={}; renderer={}; passMs={}; demo={}; issue={}; required={}; floor={}; toRequired={}; "
        "refreshToRequired={}; toFloor={}; requiredGoal={}; floorGoal={}; block={}; step={}; start={}; slots={}; "
        "scene={}",
        gnuplotText(csvPath), gnuplotText(partial), gnuplotText(renderer), gnuplotText(passMs), demo.frame.median,
        demo.issue.median, required.frame.median, floor.frame.median, whole.demoToRequired,
        whole.environmentMapToRequired, whole.demoToFloor, RequiredGoal, FloorGoal, options.block, options.step,
        info.startSeconds, slots(),
        gnuplotText(options.brought() ? sceneDescription() + "; " + lookDescription() : std::string()));
    const char* const arguments[] = {"gnuplot", "-e", settings.c_str(), "bench-plot.gp", nullptr};
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, "gnuplot", nullptr, nullptr, const_cast<char* const*>(arguments), environ);
    if (spawned == ENOENT) return Plot::NoGnuplot;
    if (spawned != 0) {
        error = std::string("cannot run gnuplot: ") + std::strerror(spawned);
        return Plot::Failed;
    }
    int status = 0;
    // A stop signal interrupts the wait; gnuplot, in the same process group, has it too.
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    const bool drawn = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !ToolReport::stopSignal();
    if (drawn && std::rename(partial.c_str(), svgPath.c_str()) == 0) return Plot::Drawn;
    std::remove(partial.c_str());
    error = "gnuplot did not draw " + svgPath + " (see its messages above)";
    return Plot::Failed;
}

}  // namespace Quessel::Bench
