#include "bench/BenchPlot.h"

#include "core/ToolReport.h"

#include <fmt/format.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

extern char** environ;

namespace Quessel::Bench {

namespace {
// Staged beside the bench by the build (bench/plot.gp).
const char* const Script = "bench-plot.gp";

// A gnuplot string in single quotes, where only the quote itself needs doubling.
std::string quoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text) result += c == '\'' ? std::string("''") : std::string(1, c);
    return result + "'";
}

// Written beside the target and renamed over it once whole.
std::string partialPath(const std::string& path) { return path + ".part"; }
}  // namespace

BenchPlot::BenchPlot(const std::vector<FrameSample>& samples, const BenchFigures& figures)
    : samples(samples), figures(figures) {
    slots = std::max({figures.demo.frame.count, figures.required.frame.count, 1});
    for (const FrameSample& sample : samples) {
        if (sample.kind != FrameKind::Floor) continue;
        if (floorPerBlock.size() <= static_cast<std::size_t>(sample.block)) floorPerBlock.resize(sample.block + 1);
        ++floorPerBlock[sample.block];
    }
}

double BenchPlot::slotOf(const FrameSample& sample) const {
    const double start = static_cast<double>(sample.block * figures.options.block);
    if (sample.kind != FrameKind::Floor) return start + sample.inBlock;
    // The block's width is that of its scene frames (the last block may be shorter).
    const double width = std::min(static_cast<double>(figures.options.block), slots - start);
    const double count = std::max(floorPerBlock[sample.block], 1);
    return start + (sample.inBlock + 0.5) * width / count - 0.5;
}

bool BenchPlot::writeCsv(const std::string& path) {
    std::string text = "kind,block,slot,row,row_kind,frame_ms,issue_ms";
    for (int index = 0; index < PassCount; ++index)
        if (hasGpuTime(passAt(index))) text += std::string(",") + passName(passAt(index));
    text += ",resident_kb\n";
    for (const FrameKind kind : {FrameKind::Demo, FrameKind::Required, FrameKind::Floor}) {
        for (const FrameSample& s : samples) {
            if (s.kind != kind) continue;
            text += fmt::format("{},{},{:.3f},{},{},{:.4f},{:.4f}", frameKindName(kind), s.block, slotOf(s), s.pathStep,
                                BenchFigures::pathKindName(BenchFigures::pathKindOf(s.pathStep)), s.frameMs, s.issueMs);
            for (int index = 0; index < PassCount; ++index)
                if (hasGpuTime(passAt(index))) text += fmt::format(",{:.4f}", s.gpuMs[index]);
            text += fmt::format(",{}\n", s.residentKb);
        }
    }
    const std::string partial = partialPath(path);
    std::FILE* file = std::fopen(partial.c_str(), "w");
    const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file && std::fclose(file) == 0 && written && std::rename(partial.c_str(), path.c_str()) == 0) return true;
    error = "cannot write " + path + ": " + std::strerror(errno);
    std::remove(partial.c_str());
    return false;
}

std::string BenchPlot::settings(const std::string& csvPath, const std::string& outPath) const {
    const BenchFigures& f = figures;
    std::string passMs;
    for (int index = 0; index < PassCount; ++index)
        if (hasGpuTime(passAt(index))) passMs += fmt::format("{:.1f} ", f.demo.gpu[index].median);
    const std::string renderer =
        fmt::format("{}, {} x {}, {} samples", f.info.renderer, f.info.width, f.info.height, f.info.samples);
    return fmt::format(
        "csv={}; out={}; renderer={}; passMs={}; demo={}; issue={}; required={}; floor={}; toRequired={}; "
        "refreshToRequired={}; toFloor={}; requiredGoal={}; floorGoal={}; block={}; step={}; start={}; slots={}",
        quoted(csvPath), quoted(outPath), quoted(renderer), quoted(passMs), f.demo.frame.median, f.demo.issue.median,
        f.required.frame.median, f.floor.frame.median, f.ratioToRequired, f.environmentMapToRequired, f.ratio,
        BenchFigures::RequiredGoal, BenchFigures::FloorGoal, f.options.block, f.options.step, f.info.startSeconds,
        slots);
}

BenchPlot::Result BenchPlot::draw(const std::string& csvPath, const std::string& svgPath) {
    const std::string partial = partialPath(svgPath);
    const std::string assignments = settings(csvPath, partial);
    const char* const arguments[] = {"gnuplot", "-e", assignments.c_str(), Script, nullptr};
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, "gnuplot", nullptr, nullptr, const_cast<char* const*>(arguments), environ);
    if (spawned == ENOENT) return Result::NoGnuplot;
    if (spawned != 0) {
        error = std::string("cannot run gnuplot: ") + std::strerror(spawned);
        return Result::Failed;
    }
    int status = 0;
    // A stop signal interrupts the wait; gnuplot, in the same process group, has it too.
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    const bool drawn = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !Quessel::ToolReport::stopSignal();
    if (drawn && std::rename(partial.c_str(), svgPath.c_str()) == 0) return Result::Drawn;
    std::remove(partial.c_str());
    error = "gnuplot did not draw " + svgPath + " (see its messages above)";
    return Result::Failed;
}

}  // namespace Quessel::Bench
