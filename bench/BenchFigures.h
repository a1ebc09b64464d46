#pragma once
#include "bench/BenchOptions.h"
#include "bench/FrameSample.h"
#include "bench/FrameSeries.h"
#include "bench/Summary.h"
#include "bench/SwapCheck.h"

#include <array>
#include <string>
#include <vector>

namespace Quessel::Bench {

// The run's context: what it ran on, where the sequence began and what went wrong.
struct RunInfo {
    std::string renderer;
    std::string version;
    int width = 0;
    int height = 0;
    int samples = 0;
    double setupSeconds = 0.0;
    double startSeconds = 0.0;
    // The simulated clock after the last measured frame: demo and required-work frames
    // advance it, nothing else does.
    double endSeconds = 0.0;
    // GL errors in the measured frames, by FrameKind, and in swapping the programs.
    std::array<int, FrameKindCount> glErrors{};
    int swapGlErrors = 0;
    SwapCheck::Result swapCheck;
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
    // Demo over required-work frame, the refresh over its required-work cost, demo over floor.
    static constexpr double RequiredGoal = 2.0;
    static constexpr double EnvironmentMapGoal = 2.0;
    static constexpr double FloorGoal = 7.0;

    // The ratios of one round of blocks, from the medians of its frames; 0 where a block
    // is missing.
    struct Block {
        double demoMs = 0.0;
        double requiredMs = 0.0;
        double floorMs = 0.0;
        double demoRefreshMs = 0.0;
        double requiredRefreshMs = 0.0;
        double demoToRequired = 0.0;
        double demoToFloor = 0.0;
        double requiredToFloor = 0.0;
        double environmentMapToRequired = 0.0;
    };

    BenchOptions options;
    RunInfo info;
    FrameSeries demo;
    FrameSeries required;
    // Median demo frame per kind of camera path row (move, turn, hold); count 0 when absent.
    std::array<Summary, 3> frameByPathKind;
    Summary floorFrame;
    Summary floorIssue;
    double floorFps = 0.0;
    // Demo median frame over floor median frame.
    double ratio = 0.0;
    // Demo median over required-work median; required-work median over floor median; the
    // refresh's GPU median in demo frames over its GPU median in required-work frames.
    double ratioToRequired = 0.0;
    double requiredToFloor = 0.0;
    double environmentMapToRequired = 0.0;
    std::vector<Block> blocks;
    // The median of each ratio over the blocks that have it (the frame times are 0).
    Block blockMedians;
    long peakKb = 0;
    // Mean VmRSS over the first and over the last `memoryWindow` measured frames of any
    // kind, in run order (100, or half a shorter run).
    int memoryWindow = 0;
    double firstResidentKb = 0.0;
    double lastResidentKb = 0.0;
    double growthKb = 0.0;

    int glErrors() const;
    bool requiredMet() const { return ratioToRequired > 0.0 && ratioToRequired <= RequiredGoal; }
    bool environmentMapMet() const {
        return environmentMapToRequired > 0.0 && environmentMapToRequired <= EnvironmentMapGoal;
    }
    bool floorMet() const { return ratio > 0.0 && ratio <= FloorGoal; }
    bool memoryFlat() const { return memoryWindow > 0 && growthKb <= FlatGrowthKb; }
    bool noGlError() const { return glErrors() == 0; }
    // The passes by GPU median of the demo frames, most expensive first (camera left out).
    std::vector<int> passesByCost() const;

    // `samples`: every measured frame, in run order.
    static BenchFigures compute(const BenchOptions& options, const RunInfo& info,
                                const std::vector<FrameSample>& samples, long peakKb);
    static const char* pathKindName(int kind);
};

}  // namespace Quessel::Bench
