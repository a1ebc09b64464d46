#pragma once
#include "bench/BenchOptions.h"
#include "bench/FrameSample.h"
#include "bench/Summary.h"

#include <array>
#include <string>
#include <vector>

namespace QuesselBench {

// The run's context: what it ran on and where the sequence began.
struct RunInfo {
    std::string renderer;
    std::string version;
    int width = 0;
    int height = 0;
    int samples = 0;
    double setupSeconds = 0.0;
    double startSeconds = 0.0;
    int glErrors = 0;
    // The machine's 1-minute load average before and after the measured frames: other
    // work on the same cores shows up in every figure.
    double loadBefore = 0.0;
    double loadAfter = 0.0;
};

// Every figure of a run, derived from its frame samples.
struct BenchFigures {
    // The largest RSS growth over the run still counted as flat: allocator and driver
    // pools move by a few pages without anything leaking.
    static constexpr long FlatGrowthKb = 1024;
    static constexpr double RatioGoal = 3.0;
    static constexpr double EnvironmentMapShareGoal = 1.0 / 3.0;

    BenchOptions options;
    RunInfo info;
    Summary frame;
    Summary issue;
    std::array<Summary, PassCount> gpu;
    std::array<Summary, PassCount> cpu;
    // Median frame per kind of camera path row (move, turn, hold); count 0 when absent.
    std::array<Summary, 3> frameByPathKind;
    Summary floorFrame;
    Summary floorIssue;
    // Frames over the summed frame times (1000 / mean frame), and 1000 / median frame.
    double fps = 0.0;
    double fpsAtMedian = 0.0;
    double floorFps = 0.0;
    // Demo median frame over floor median frame.
    double ratio = 0.0;
    long peakKb = 0;
    // Mean VmRSS over the first and over the last `memoryWindow` demo frames (100, or
    // half a shorter run).
    int memoryWindow = 0;
    double firstResidentKb = 0.0;
    double lastResidentKb = 0.0;
    double growthKb = 0.0;

    bool ratioMet() const { return ratio > 0.0 && ratio <= RatioGoal; }
    bool environmentMapMet() const;
    bool memoryFlat() const { return growthKb <= FlatGrowthKb; }
    // The passes by GPU median, most expensive first (camera left out).
    std::vector<int> passesByCost() const;

    static BenchFigures compute(const BenchOptions& options, const RunInfo& info,
                                const std::vector<FrameSample>& demo, const std::vector<FrameSample>& floor,
                                long peakKb);
    static const char* pathKindName(int kind);
};

}  // namespace QuesselBench
