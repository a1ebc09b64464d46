#pragma once
#include "fit/LookOptions.h"

#include <string>
#include <vector>

namespace Quessel {
class ToolReport;
}

namespace Quessel::Bench {

// The bench's command line. The demo itself has none; every choice of a run lives here.
struct BenchOptions {
    // Demo time a brought scene's measured frames start at, reached by 1 s frames as ours is:
    // the time ours start at, since a tour has no row of our path to aim for.
    static constexpr double BroughtStartSeconds = 16.0;

    // Measured demo frames after the fast-forward, and as many required-work frames.
    int frames = 300;
    // Measured floor frames, spread over the rounds of blocks; 0: as many as `frames`.
    int floorFrames = 0;
    // Demo and required-work frames per block (the floor's share of a round follows).
    int block = 10;
    // Simulated seconds per measured frame.
    double step = 1.0 / 20.0;
    // The plot; its data goes beside it with the extension .csv.
    std::string svgPath = "bench.svg";
    // glFinish at the end of every pass, so each pass's wall time holds its own
    // rasterization; serialises the frame, so its frame times are not the demo's.
    bool syncPasses = false;
    // Instead of the run: rounds of this many frames of the study tool with its overlay and
    // without, and what the overlay adds.
    int overlayCost = 0;
    // Empty: the demo's own scene; else another one, flown along its tour.
    std::string scene;
    // Nodes that reflect and that refract besides the demo's spheres.
    std::vector<std::string> mirrors;
    std::vector<std::string> glass;
    // How a brought scene is shown: its own look or the demo's shading, its sky and background.
    LookOptions look;

    // Whether the run measures a scene brought with --scene rather than ours.
    bool brought() const { return !scene.empty(); }
    int floorFramesOrDefault() const { return floorFrames > 0 ? floorFrames : frames; }
    std::string csvPath() const;

    // -1 when the run is to go ahead; otherwise the exit status, after the help (0) or
    // the reason the command line was refused (ToolReport::BadOptions).
    static int parse(int argc, char** argv, BenchOptions& options, const Quessel::ToolReport& report);
};

}  // namespace Quessel::Bench
