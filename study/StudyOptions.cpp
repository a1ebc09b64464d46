#include "study/StudyOptions.h"

#include <CLI/CLI.hpp>

namespace Quessel::Study {

namespace {
const char* const Keys =
    "\nKeys:\n"
    "  Space        pause / resume the demo's clock (camera path, light, smoke, cube maps)\n"
    "  .            while paused: one step of 1/30 s\n"
    "  Tab          free camera on / off: W A S D move, Q / E down / up, the arrow keys or\n"
    "               a drag with the left mouse button turn, Shift moves faster; off puts\n"
    "               the camera back on the path where it was left\n"
    "  F1           overlay on / off: frame and pass times, path row, camera, cube map\n"
    "               refreshed, GL errors, the last shader reload\n"
    "  F2           next view: frame, colour target, depth target, each sphere's cube map\n"
    "  F5           reload every shader from Shader/ (a shader that fails keeps the\n"
    "               running program; its log goes to the console and the overlay)\n"
    "  F12          screenshot (PNG) into screenshots/ beside the binary\n"
    "  Escape       end\n"
    "Run it from the run directory (build/bin), like quessel.\n";
}  // namespace

StudyOptions::Outcome StudyOptions::parse(int argc, const char* const* argv, StudyOptions& options, std::string& text) {
    CLI::App app("quessel-study: the demo you can stop, step, fly through and take apart.", "quessel-study");
    app.footer(Keys);
    app.add_option("--scene", options.scene,
                   "another scene in any format Assimp reads, with the demo's node names (Sphere, Sphere_001, "
                   "Sphere_002, PointLight1, ...); its images are looked for beside it first")
        ->check(CLI::ExistingFile);
    app.add_option("--start", options.start, "demo time to begin at, in seconds (default 0)")
        ->check(CLI::Range(0.0, 3600.0));
    app.add_option("--overlay-cost", options.overlayCost,
                   "measure the overlay: FRAMES frames with and without it, alternating six times, print the "
                   "median frame times and end")
        ->check(CLI::Range(1, 100000));
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        text = app.help();
        return Outcome::Help;
    } catch (const CLI::ParseError& error) {
        text = error.what();
        return Outcome::Bad;
    }
    return Outcome::Run;
}

}  // namespace Quessel::Study
