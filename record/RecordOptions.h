#pragma once
#include "fit/LookOptions.h"

#include <string>
#include <vector>

namespace Quessel::Record {

// The recorder's command line. The demo itself has none; every choice of a recording
// lives here.
struct RecordOptions {
    // The longest recording, and the latest start, in demo seconds.
    static constexpr double MaxSeconds = 3600.0;

    // Seconds of the demo to record; 0 records until the camera path returns to its
    // first row (from the default start: one whole lap).
    double seconds = 0.0;
    // Demo time at which the recording begins.
    double start = 0.0;
    double fps = 30.0;
    std::string out = "quessel-loop.mp4";
    // Empty: beside `out`, with the extension .webp.
    std::string preview;
    // Empty: no stills; else the folder that gets every recorded frame as a PNG.
    std::string stills;
    // Empty: the demo's own scene; else another one, seen at its own scale.
    std::string scene;
    // Nodes that reflect and that refract besides the demo's spheres.
    std::vector<std::string> mirrors;
    std::vector<std::string> glass;
    // The camera's path: "demo", "tour" or a file; empty: the demo's own in its own scene,
    // the tour in another.
    std::string path;
    // How a brought scene is shown.
    LookOptions look;
    bool help = false;

    // False with the reason in `error` for an unknown option or a bad value.
    static bool parse(int argc, const char* const* argv, RecordOptions& options, std::string& error);
    static std::string usage();

    // `preview`, or the default name beside `out`.
    std::string previewPath() const;
};

}  // namespace Quessel::Record
