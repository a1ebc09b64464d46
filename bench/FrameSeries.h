#pragma once
#include "bench/FrameSample.h"
#include "bench/Summary.h"

#include <array>
#include <vector>

namespace Quessel::Bench {

// The figures of one kind of frame over a run: frame and issue times, and each pass's
// GPU and issuing times where the kind has passes.
struct FrameSeries {
    Summary frame;
    Summary issue;
    std::array<Summary, PassCount> gpu;
    std::array<Summary, PassCount> cpu;
    // Frames over the summed frame times (1000 / mean frame), and 1000 / median frame.
    double fps = 0.0;
    double fpsAtMedian = 0.0;

    // The frames of `kind` among `samples`.
    static FrameSeries of(const std::vector<FrameSample>& samples, FrameKind kind);
    // Only the frames that also have `block`.
    static FrameSeries of(const std::vector<FrameSample>& samples, FrameKind kind, int block);

    const Summary& gpuOf(Quessel::Pass pass) const { return gpu[static_cast<int>(pass)]; }
};

}  // namespace Quessel::Bench
