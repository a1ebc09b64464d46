#pragma once
#include "fit/LookOptions.h"

#include <string>
#include <vector>

namespace Quessel::Study {

// The study tool's command line (the demo itself has none).
struct StudyOptions {
    // Empty: the demo's own scene.
    std::string scene;
    // Nodes that reflect and that refract besides the demo's spheres.
    std::vector<std::string> mirrors;
    std::vector<std::string> glass;
    // Non-empty: draw the first frame into this PNG, say what it shows, and end.
    std::string shot;
    // Non-empty: write the first frame's camera into this path file, and end.
    std::string view;
    // The camera's path: "demo", "tour" or a file; empty: the demo's own in its own scene,
    // the tour in a brought one.
    std::string path;
    // Demo time to begin at.
    double start = 0.0;
    // How a brought scene is shown.
    LookOptions look;
    // Print the scene's node tree and cameras, and end.
    bool list = false;
    // Start at the file's camera of this name.
    std::string camera;

    enum class Outcome { Run, Help, Bad };
    // Help: `text` is the usage with the keys. Bad: `text` says what is wrong.
    static Outcome parse(int argc, const char* const* argv, StudyOptions& options, std::string& text);
};

}  // namespace Quessel::Study
