#include "study/StudyOptions.h"

#include <CLI/CLI.hpp>

namespace Quessel::Study {

namespace {
const char* const Keys =
    "The scene's nodes Sphere, Sphere_001 and Sphere_002 reflect or refract and PointLight1 lights\n"
    "it; its images are looked for beside it first, then in the run directory. --start reaches\n"
    "its time by the frames of 1/30 s a run from 0 draws.\n"
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
    app.get_formatter()->column_width(26);
    app.add_option("--scene", options.scene, "another scene (any format Assimp reads) with the demo's node names")
        ->type_name("FILE")
        ->check(CLI::ExistingFile.description(""));
    app.add_option("--start", options.start, "demo time to begin at (default 0)")
        ->type_name("SECONDS")
        ->check(CLI::Range(0.0, 3600.0).description(""));
    app.add_option("--overlay-cost", options.overlayCost,
                   "measure the overlay's cost: 20 rounds of FRAMES frames with it and without, and end")
        ->type_name("FRAMES")
        ->check(CLI::Range(1, 100000).description(""));
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
