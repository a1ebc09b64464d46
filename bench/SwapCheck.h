#pragma once
#include <vector>

namespace Quessel::Bench {

class BenchRun;
class ProgramSwapper;

// Checks the swap of the programs on the real frame before anything is measured, where a
// fault would otherwise only show as odd timings: the required-work frames raise no GL
// error and draw something else than the demo's, and once swapped back the demo draws
// what it drew before. All frames are still frames, so the sequence stays where it was.
class SwapCheck {
public:
    // Differences are in 8-bit steps per channel over the whole window.
    static constexpr double RequiredMinimumMeanDifference = 4.0;
    static constexpr double RestoredMaximumMeanDifference = 0.5;
    static constexpr int LargeDifference = 32;
    static constexpr double RestoredMaximumLargeShare = 0.002;

    struct Result {
        bool ran = false;
        // In the swaps and the frames drawn between them.
        int glErrors = 0;
        double requiredMeanDifference = 0.0;
        double restoredMeanDifference = 0.0;
        // Share of pixels with a channel more than LargeDifference off.
        double restoredLargeShare = 0.0;
        bool passed() const;
    };

    SwapCheck(BenchRun& run, ProgramSwapper& swapper, int renderers);
    Result run();

private:
    // Still frames until every cube map was redrawn `SettleRounds` times in turn (a cube
    // map shows the others as they were when it was drawn); the last one is read back.
    void settle(std::vector<unsigned char>& pixels);
    static double meanDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b);
    static double largeShare(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b);

    BenchRun& bench;
    ProgramSwapper& swapper;
    int renderers;
};

}  // namespace Quessel::Bench
