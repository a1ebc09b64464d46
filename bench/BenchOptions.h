#pragma once
#include <string>

namespace Quessel::Bench {

// The bench's command line. The demo itself has none; every choice of a run lives here.
struct BenchOptions {
    // Measured demo frames after the fast-forward, and as many required-work frames.
    int frames = 300;
    // Measured floor frames, spread over the rounds of blocks; 0: as many as `frames`.
    int floorFrames = 0;
    // Demo and required-work frames per block (the floor's share of a round follows).
    int block = 10;
    // Simulated seconds per measured frame.
    double step = 1.0 / 20.0;
    std::string svgPath = "bench.svg";
    // glFinish at the end of every pass, so each pass's wall time holds its own
    // rasterization; serialises the frame, so its frame times are not the demo's.
    bool syncPasses = false;
    bool help = false;

    // False with the reason in `error` for an unknown option or a bad value.
    int floorFramesOrDefault() const { return floorFrames > 0 ? floorFrames : frames; }

    static bool parse(int argc, const char* const* argv, BenchOptions& options, std::string& error);
    static const char* usage();
};

}  // namespace Quessel::Bench
