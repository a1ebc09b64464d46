#pragma once
#include "harness/PassTimer.h"
#include "look/DrawStats.h"
#include "bench/BenchOptions.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace Quessel::Bench {

// The three frames a run measures in turn: the demo's, the same frame drawn with the
// cheapest shaders (the work the frame must do whatever it draws), and the floor.
enum class FrameKind { Demo, Required, Floor };
constexpr int FrameKindCount = 3;

// One measured frame, in milliseconds: the wall clock around its work, present and glFinish
// (what a viewer waits), of issuing its work alone, and per pass its GL_TIME_ELAPSED (zero
// where a pass has none) and the wall clock of issuing it; what a brought scene's look drew
// in the main view and in the cube-map faces refreshed. VmRSS after it in KiB, the camera
// path row it ran and that row's CameraPath::Kind (-1 for floor frames; the row of the path
// flown, ours or a tour), its round of blocks and its place in its block.
struct FrameSample : PassTimer::Times {
    double frameMs = 0.0, issueMs = 0.0;
    long residentKb = 0;
    DrawStats mainDraws, faceDraws;
    int pathStep = -1, pathKind = -1;
    FrameKind kind = FrameKind::Demo;
    int block = 0, inBlock = 0;
};

// The check of the shader swap on still frames before anything is measured, where a fault
// would otherwise only show as odd timings: the required-work frame differs from the demo's,
// and swapped back the demo draws what it drew before, with no GL error on the way.
// Differences are in 8-bit steps per channel over the whole window; the share is of pixels
// with a channel more than ImageDifference::Large (32) off.
struct SwapCheck {
    static constexpr double RequiredMinimumMeanDifference = 4.0;
    static constexpr double RestoredMaximumMeanDifference = 0.5;
    static constexpr double RestoredMaximumLargeShare = 0.002;

    bool ran = false;
    int glErrors = 0;
    double requiredMeanDifference = 0.0, restoredMeanDifference = 0.0, restoredLargeShare = 0.0;

    bool passed() const {
        return ran && glErrors == 0 && requiredMeanDifference >= RequiredMinimumMeanDifference &&
               restoredMeanDifference <= RestoredMaximumMeanDifference &&
               restoredLargeShare <= RestoredMaximumLargeShare;
    }
};

// What a run ran on and what happened around its frames: the simulated clock before the
// first and after the last measured frame, GL errors by FrameKind and in the swaps, the
// 1-minute load average before and after (other work on the same cores shows in every
// figure) and VmHWM after the run in KiB. The scene's triangles (as its nodes draw them)
// and VmRSS in KiB before the window opened and once set-up was done.
struct RunInfo {
    std::string renderer, version;
    int width = 0, height = 0, samples = 0;
    double setupSeconds = 0.0, startSeconds = 0.0, endSeconds = 0.0;
    std::array<int, FrameKindCount> glErrors{};
    int swapGlErrors = 0;
    SwapCheck swapCheck;
    double loadBefore = 0.0, loadAfter = 0.0;
    long peakKb = 0;
    unsigned long long triangles = 0;
    long residentBeforeKb = 0, residentAfterSetupKb = 0;
};

// Every figure of a run, derived from its frame samples, and what a run leaves behind: the
// figures as a table for people and as one JSON line for comparing runs, the frames as CSV
// (one row per frame, grouped by kind, each in run order) and the plot gnuplot draws from
// them with bench-plot.gp, staged beside the bench. A brought scene's table, line and plot
// name the scene and its look and leave out the required-work frames, which it has none of.
struct BenchFigures {
    // RSS growth still counted as flat: allocator and driver pools move by a few pages.
    static constexpr long FlatGrowthKb = 1024;
    // Demo over required-work frame, the refresh over its required-work cost, demo over floor.
    static constexpr double RequiredGoal = 2.0, EnvironmentMapGoal = 2.0, FloorGoal = 7.0;

    // Order statistics of a series of times; all zero for an empty series. p95 is the
    // nearest rank: the smallest value with at least 95 % of the series at or below it.
    struct Summary {
        int count = 0;
        double median = 0.0, p95 = 0.0, max = 0.0, mean = 0.0;

        static Summary of(std::vector<double> values);
    };

    // One kind of frame: frame and issue times, each pass's GPU and issuing times, and
    // 1000 / mean frame (frames over the summed frame times) and 1000 / median frame.
    struct Series {
        Summary frame, issue;
        std::array<Summary, PassCount> gpu, cpu;
        double fps = 0.0, fpsAtMedian = 0.0;

        // The frames of `kind`; of one round of blocks only when block >= 0.
        static Series of(const std::vector<FrameSample>& samples, FrameKind kind, int block = -1);
        const Summary& refresh() const { return gpu[static_cast<int>(Pass::EnvironmentMap)]; }
    };

    // The figures of one round of blocks or of the whole run, from the medians of its
    // frames; 0 where missing. The ratios divide the medians: demo / required, demo / floor,
    // required / floor, and the refresh's GPU time in demo frames over that in required-work
    // frames.
    struct Block {
        double demoMs = 0.0, requiredMs = 0.0, floorMs = 0.0, demoRefreshMs = 0.0, requiredRefreshMs = 0.0;
        double demoToRequired = 0.0, demoToFloor = 0.0, requiredToFloor = 0.0, environmentMapToRequired = 0.0;

        // Round `block` of the run; the whole run when block < 0.
        static Block of(const std::vector<FrameSample>& samples, int block);
    };

    BenchOptions options;
    RunInfo info;
    std::vector<FrameSample> samples;
    Series demo, required, floor;
    // Demo frames by the kind of their camera path row (move, turn, hold).
    std::array<Summary, 3> frameByPathKind;
    Block whole;
    std::vector<Block> blocks;
    // The median of each ratio over the blocks that have it (the times stay 0).
    Block blockMedians;
    // The larger of VmHWM and every VmRSS read after a frame.
    long peakKb = 0;
    // Mean VmRSS over the first and the last `memoryWindow` measured frames of any kind, in
    // run order (100, or half a shorter run): a leak in the relinks shows.
    int memoryWindow = 0;
    double firstResidentKb = 0.0, lastResidentKb = 0.0, growthKb = 0.0;
    // What the look drew over the demo frames: the main view's parts and those of every
    // cube-map face refreshed (a mesh, or each chunk of a big one, per view).
    DrawStats mainDraws, faceDraws;

    // Resident bytes set-up added per triangle (the GL driver's start-up with the window
    // included: it weighs on small scenes); 0 without triangles.
    double bytesPerTriangle() const;

    int glErrors() const;
    // A ratio is met when it was measured (above 0) and is within its goal.
    bool requiredMet() const { return met(whole.demoToRequired, RequiredGoal); }
    bool environmentMapMet() const { return met(whole.environmentMapToRequired, EnvironmentMapGoal); }
    bool floorMet() const { return met(whole.demoToFloor, FloorGoal); }
    static bool met(double ratio, double goal) { return ratio > 0.0 && ratio <= goal; }
    bool memoryFlat() const { return memoryWindow > 0 && growthKb <= FlatGrowthKb; }
    bool noGlError() const { return glErrors() == 0; }

    // `samples`: every measured frame, in run order.
    static BenchFigures compute(const BenchOptions& options, const RunInfo& info,
                                const std::vector<FrameSample>& samples);

    // Why a brought scene's run has no required-work frames, as its table and JSON line say.
    static constexpr const char* RequiredLeftOut =
        "left out for a brought scene (the cheap shaders replace the demo's programs, not those of "
        "a scene's own look); compare the looks by their demo frames and demo / floor";

    void printTable(std::FILE* out) const;
    // One line starting with {"bench": and holding every figure; no newline.
    std::string jsonLine() const;
    // Written whole (through a .part file) or not at all; false with the reason in `error`.
    bool writeCsv(const std::string& path, std::string& error) const;
    // gnuplot, when it is on PATH, draws `svgPath` (through a .part file) from the CSV.
    enum class Plot { Drawn, NoGnuplot, Failed };
    Plot drawPlot(const std::string& csvPath, const std::string& svgPath, std::string& error) const;
    void printBroughtTable(std::FILE* out) const;
    // The brought scene's file and the nodes named to reflect or refract; its look as
    // given (own: with its sky and background).
    std::string sceneDescription() const;
    std::string lookDescription() const;
    // Scene frames of each kind, at least 1: the plot's axis.
    int slots() const { return std::max({demo.frame.count, required.frame.count, 1}); }
};

}  // namespace Quessel::Bench
