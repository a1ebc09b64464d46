#include "bench/OverlayCost.h"

#include "core/ToolReport.h"
#include "study/StudySession.h"

#include <fmt/format.h>

#include <sys/resource.h>

#include <algorithm>
#include <vector>

namespace Quessel::Bench {

namespace {
double median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// CPU time of the whole process (every llvmpipe thread), which other processes on a shared
// machine disturb far less than the wall clock.
double processCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec * 1e-3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Frames stepped by 1/30 s with the overlay shown or not: each one's wall time and the
// process's CPU time per frame; no times when the run was stopped.
struct Block {
    std::vector<double> wallMs;
    double cpuMs = 0.0;
};

Block measuredBlock(Study::StudySession& session, int frames, bool shown) {
    session.controls.overlay = shown;
    Block block;
    // One frame more than measured: the first one's wall step belongs to the block before.
    for (int i = 0; i <= frames; ++i) {
        session.controls.paused = true;
        session.controls.press(Study::StudyKey::Step);
        if (i == 1) block.cpuMs = -processCpuMs();
        if (ToolReport::stopSignal() || session.frame()) return {};
        if (i > 0) block.wallMs.push_back(session.lastFrameMs());
    }
    block.cpuMs = (block.cpuMs + processCpuMs()) / frames;
    return block;
}
}  // namespace

int OverlayCost::measure(Study::StudySession& session, int frames, const ToolReport& report) {
    // Short blocks in many rounds, each round's order the other way round: the machine's
    // drift (this one is shared) falls on both kinds alike.
    report.say(
        fmt::format("measuring the overlay: {} rounds of {} frames with it and {} without", Rounds, frames, frames));
    std::vector<double> shown;
    std::vector<double> hidden;
    std::vector<double> ratios;
    double cpu[2] = {0.0, 0.0};  // hidden, shown
    for (int round = 0; round < Rounds; ++round) {
        for (bool shownBlock : {round % 2 == 0, round % 2 != 0}) {
            const Block block = measuredBlock(session, frames, shownBlock);
            if (block.wallMs.empty())
                return ToolReport::stopSignal() ? report.interrupted("the measurement")
                                                : report.fail("stopped by Escape before the measurement ended");
            std::vector<double>& all = shownBlock ? shown : hidden;
            all.insert(all.end(), block.wallMs.begin(), block.wallMs.end());
            cpu[shownBlock] += block.cpuMs / Rounds;
        }
        // This round's medians, the last `frames` of each list.
        const auto last = [frames](const std::vector<double>& all) {
            return median(std::vector<double>(all.end() - frames, all.end()));
        };
        ratios.push_back(last(shown) / last(hidden));
    }
    const double on = median(shown);
    const double off = median(hidden);
    std::sort(ratios.begin(), ratios.end());
    const auto percent = [](double ratio) { return (ratio - 1.0) * 100.0; };
    report.say(
        fmt::format("median frame {:.1f} ms with the overlay, {:.1f} ms without: {:+.1f} %; per round: "
                    "median {:+.1f} %, middle half {:+.1f} % to {:+.1f} %",
                    on, off, percent(on / off), percent(median(ratios)), percent(ratios[Rounds / 4]),
                    percent(ratios[Rounds * 3 / 4 - 1])));
    report.say(fmt::format("process CPU time per frame {:.1f} ms with the overlay, {:.1f} ms without: {:+.1f} %",
                           cpu[1], cpu[0], percent(cpu[1] / cpu[0])));
    return 0;
}

}  // namespace Quessel::Bench
