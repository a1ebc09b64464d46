#include "study/StudyOptions.h"

#include "look/BackgroundChoice.h"
#include "paths/PathRules.h"
#include "core/MemoryCeiling.h"
#include "fit/ImportEstimate.h"

#include <fmt/format.h>

#include <filesystem>
#include <CLI/CLI.hpp>

namespace Quessel::Study {

namespace {
const char* const Keys =
    "A scene of any size is framed from its bounds, its planes and flight speed follow its size,\n"
    "and without a node PointLight1 it is lit by its own first light or one that circles above\n"
    "it. One far from the demo's size, or far from the origin for its size, is drawn scaled by a\n"
    "power of two around its middle; path files and positions stay in its own units. Nodes\n"
    "named Sphere and Sphere_001 reflect and Sphere_002 refracts in any scene; --mirror and\n"
    "--glass add others. Its images are looked for beside it first (either separator, any\n"
    "letter case), then in the run directory. --start reaches its time by the frames of 1/30 s\n"
    "a run from 0 draws. A scene and its cube maps may take three quarters of the memory this\n"
    "machine has available ({} now): before the import, what the file declares (a PLY or OFF\n"
    "header's counts, a binary STL's triangles, else its size: {} bytes a vertex, {} a face,\n"
    "{} per byte of file) and 26 MB a cube map for each --mirror and --glass are weighed\n"
    "against it; a scene that would not fit ends the tool at once with status 1, as does one\n"
    "that passes it while importing. Ctrl-C during start-up ends it at once (130).\n"
    "A path file is read before the scene: a regular file of at most {} MB, with at most {} rows\n"
    "of at most {:g} s (an hour) each, every view looking somewhere, never straight up or down.\n"
    "\nKeys:\n"
    "  Space        pause / resume the demo's clock (camera path, light, smoke, cube maps)\n"
    "  .            while paused: one step of 1/30 s\n"
    "  Tab          free camera on / off: W A S D move, Q / E down / up, the arrow keys or\n"
    "               a drag with the left mouse button turn, Shift moves faster, the mouse\n"
    "               wheel sets the speed; off puts the camera back where it was left\n"
    "  F            frame the whole scene from where the camera looks (free camera)\n"
    "  F1           overlay on / off: frame and pass times, path row, camera, cube map\n"
    "               refreshed, GL errors, the last shader reload, the material under the\n"
    "               mouse; the node list top right (a click frames a node)\n"
    "  F2           next view: frame, colour target, depth target, each sphere's cube map\n"
    "  F5           reload every shader from Shader/ (a shader that fails keeps the\n"
    "               running program; its log goes to the console and the overlay)\n"
    "  F12          screenshot (PNG) into screenshots/ beside the binary\n"
    "  Enter        while flying: add this view to the path being made (a turn towards it,\n"
    "               a move to it and a turn to where it looks); the first one is its start\n"
    "  L            while flying: add a move to this view looking at the scene's middle all\n"
    "               the way (the first one is the start), so the path keeps the scene in view\n"
    "  H            while flying: add a hold;  Backspace: take the last row away\n"
    "  - / =        while flying: fewer / more seconds for the rows added next\n"
    "  F6           save the path being made (else the one playing) into paths/ beside the\n"
    "               binary; leaving free flight plays the path made\n"
    "  C            the scene file's next camera (free camera)\n"
    "  R            the path again from its start\n"
    "  Escape       end\n"
    "Run it from the run directory (build/bin), like quessel.\n";
}  // namespace

StudyOptions::Outcome StudyOptions::parse(int argc, const char* const* argv, StudyOptions& options, std::string& text) {
    CLI::App app("quessel-study: the demo you can stop, step, fly through and take apart.", "quessel-study");
    app.footer(fmt::format(fmt::runtime(Keys),
                           fmt::format("{:.1f} GiB", static_cast<double>(MemoryCeiling::budget()) / (1 << 30)),
                           ImportEstimate::BytesPerVertex, ImportEstimate::BytesPerFace,
                           ImportEstimate::BytesPerFileByte, PathRules::MaxFileBytes / 1000000, PathRules::MaxRows, PathRules::MaxRowSeconds));
    app.get_formatter()->column_width(26);
    app.add_option("--scene", options.scene, "another scene, in any format Assimp reads")
        ->type_name("FILE")
        ->check(CLI::ExistingFile.description(""));
    app.add_option("--mirror", options.mirrors, "the node NAME reflects through a cube map of its own (repeatable)")
        ->type_name("NAME")
        ->expected(1)
        ->take_all();
    app.add_option("--glass", options.glass, "the node NAME refracts through a cube map of its own (repeatable)")
        ->type_name("NAME")
        ->expected(1)
        ->take_all();
    app.add_option("--path", options.path,
                   "the camera's path: a JSON path file (F6 saves one), tour (one made for the scene) or demo "
                   "(the demo's own); default: the demo's in its own scene, the tour in another")
        ->type_name("FILE|tour|demo");
    app.add_option("--shot", options.shot, "draw the first frame into the PNG FILE, say what it shows, and end")
        ->type_name("FILE");
    app.add_option("--save-view", options.view,
                   "write the first frame's camera into FILE as a path file that holds it, with the field of "
                   "view, the clipping planes and the box a brought scene is framed by, and end")
        ->type_name("FILE");
    app.add_option("--start", options.start, "demo time to begin at (default 0)")
        ->type_name("SECONDS")
        ->check(CLI::Range(0.0, 3600.0).description(""));
    app.add_option("--look", options.look.look,
                   "own: a brought scene with its own environment, lights and materials (default); demo: with the "
                   "demo's shading")
        ->type_name("own|demo")
        ->check(CLI::IsMember({"own", "demo"}));
    app.add_option("--sky", options.look.sky,
                   "the environment lighting a brought scene: an equirectangular .hdr, .exr or image panorama "
                   "(default: a neutral studio made in code)")
        ->type_name("FILE")
        ->check(CLI::Validator(
            [](std::string& path) {
                // A device or a pipe could be read without end: only a regular file.
                std::error_code ignored;
                return std::filesystem::is_regular_file(path, ignored) ? std::string()
                                                                        : "not a regular file: " + path;
            },
            ""));
    app.add_option("--background", options.look.background, "behind a brought scene: sky, grey (default) or #RRGGBB")
        ->type_name("B")
        ->check(CLI::Validator(
            [](std::string& text) {
                std::string error;
                return BackgroundChoice::parse(text, error) ? std::string() : error;
            },
            ""));
    app.add_flag("--list", options.list, "print the scene's nodes (with triangles, materials, mirror or glass) and its "
                                         "cameras, and end");
    app.add_option("--camera", options.camera, "start at the scene file's camera NAME (see --list; C cycles them)")
        ->type_name("NAME");
    app.add_option("--smoke", options.look.smoke, "the smoke rises from the node NAME of a brought scene")
        ->type_name("NAME");
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
