#pragma once
#include <string>

namespace QuesselBench {

// The bench's command line. The demo itself has none; every choice of a run lives here.
struct BenchOptions {
    // Measured demo frames after the fast-forward.
    int frames = 300;
    // Measured floor frames after the demo frames.
    int floorFrames = 100;
    // Simulated seconds per measured frame.
    double step = 1.0 / 20.0;
    std::string svgPath = "bench.svg";
    // glFinish at the end of every pass, so each pass's wall time holds its own
    // rasterization; serialises the frame, so its frame times are not the demo's.
    bool syncPasses = false;
    bool help = false;

    // False with the reason in `error` for an unknown option or a bad value.
    static bool parse(int argc, const char* const* argv, BenchOptions& options, std::string& error);
    static const char* usage();
};

}  // namespace QuesselBench
