#include "record/RecordOptions.h"

#include "look/BackgroundChoice.h"
#include "paths/PathRules.h"

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace Quessel::Record {

namespace {
constexpr double MaxFps = 240.0;

auto numberFrom(double low, bool lowIncluded, double high) {
    return [=](const std::string& text) {
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        return end != text.c_str() && *end == '\0' && std::isfinite(value) && value <= high &&
               (value > low || (lowIncluded && value == low));
    };
}

// A path ending in a slash names a folder, not a file.
bool fileName(const std::string& path) { return !path.empty() && path.back() != '/'; }
}  // namespace

std::string RecordOptions::usage() {
    return fmt::format(
        "Usage: quessel-record [--seconds S] [--start T] [--fps N] [--out FILE] [--preview FILE]\n"
        "                      [--stills DIR] [--scene FILE [--mirror NAME] [--glass NAME]] [--path P]\n"
        "                      [--look L] [--sky FILE] [--background B] [--smoke NODE]\n"
        "Renders the demo's frames at a fixed time step in the real 1280 x 768 window and\n"
        "encodes them with ffmpeg (an H.264 MP4) and img2webp (an animated WebP preview).\n"
        "  --seconds S     seconds of demo time to record (default: until the camera path\n"
        "                  returns to its first row: from t = 0 one whole lap)\n"
        "  --start T       demo time to begin at (default 0): the frames are those a recording\n"
        "                  from 0 shows from T on, reached by running the ones before unrecorded\n"
        "  --fps N         frames per second of the video, 1 to 240 (default 30)\n"
        "  --out FILE      the MP4 (default quessel-loop.mp4; with --scene, named after the\n"
        "                  scene: robot.fbx records into robot.mp4)\n"
        "  --preview FILE  the preview, at most 8 MB, about 640 x 384 at 10 fps\n"
        "                  (default: beside the MP4, named like it with .webp)\n"
        "  --stills DIR    also every recorded frame as a PNG in DIR, frame-NNNNN.png, NNNNN\n"
        "                  counting the frames from t = 0 at this rate\n"
        "  --scene FILE    another scene (any format Assimp reads), framed and lit at its own\n"
        "                  scale as quessel-study shows it\n"
        "  --mirror NAME   the node NAME reflects through a cube map of its own (repeatable)\n"
        "  --glass NAME    the node NAME refracts through a cube map of its own (repeatable)\n"
        "  --path P        the camera's path: a JSON path file (quessel-study's F6 saves one),\n"
        "                  tour (made for the scene) or demo (the demo's own); default: the\n"
        "                  demo's in its own scene, the tour in another. Without --seconds one\n"
        "                  whole lap of it is recorded, which must be an hour at most. A file\n"
        "                  is read before the scene: a regular file of at most {} MB, at most\n"
        "                  {} rows of at most {:g} s each (an hour), every view looking\n"
        "                  somewhere, never straight up or down\n"
        "{}"
        "  --help          this text\n"
        "Run it from the run directory (build/bin), like quessel. Ctrl-C or Escape stops\n"
        "the recording and leaves no file behind.\n",
        PathRules::MaxFileBytes / 1000000, PathRules::MaxRows, PathRules::MaxRowSeconds, LookOptions::Help);
}

bool RecordOptions::parse(int argc, const char* const* argv, RecordOptions& options, std::string& error) {
    CLI::App app;
    app.set_help_flag();
    app.allow_extras();
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    // Checked in our words; `rejected` gets them, since CLI11 puts the option's name in front
    // of a check's own text.
    std::string rejected;
    const auto add = [&app, &rejected](const char* name, auto& value, const char* expected, auto good) {
        app.add_option(name, value)->check([=, &rejected](const std::string& text) {
            // CLI11 hands an option the next word even when that is another option.
            if (text.rfind("--", 0) == 0) return rejected = fmt::format("missing value for {}", name);
            if (good(text)) return std::string();
            return rejected = fmt::format("bad value for {}: \"{}\" (expected {})", name, text, expected);
        });
    };
    app.add_flag("-h,--help", options.help);
    add("--seconds", options.seconds, "seconds above 0, at most 3600", numberFrom(0.0, false, MaxSeconds));
    add("--start", options.start, "seconds from 0 to 3600", numberFrom(0.0, true, MaxSeconds));
    add("--fps", options.fps, "frames per second from 1 to 240", numberFrom(1.0, true, MaxFps));
    add("--out", options.out, "a file name", fileName);
    add("--preview", options.preview, "a file name", fileName);
    add("--stills", options.stills, "a folder", [](const std::string& path) { return !path.empty(); });
    const auto named = [](const std::string& text) { return !text.empty(); };
    add("--scene", options.scene, "a scene file", [](const std::string& path) {
        std::error_code ignored;
        return std::filesystem::is_regular_file(path, ignored);
    });
    add("--path", options.path, "a path file, tour or demo", named);
    add("--look", options.look.look, "own or demo", [](const std::string& text) { return text == "own" || text == "demo"; });
    add("--sky", options.look.sky, "a panorama file", [](const std::string& path) {
        std::error_code ignored;
        return std::filesystem::is_regular_file(path, ignored);
    });
    add("--background", options.look.background, "sky, grey or #RRGGBB", [](const std::string& text) {
        std::string ignored;
        return BackgroundChoice::parse(text, ignored).has_value();
    });
    add("--smoke", options.look.smoke, "a node name", named);
    // Repeated, each adds a name: collected one by one past the last-one-counts default.
    app.add_option("--mirror", options.mirrors)->expected(1)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--glass", options.glass)->expected(1)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    error.clear();
    try {
        app.parse(argc, argv);
        // A brought scene's recording is named after it unless --out says otherwise.
        if (!options.scene.empty() && app.count("--out") == 0)
            options.out = std::filesystem::path(options.scene).stem().string() + ".mp4";
        if (!app.remaining().empty())
            error = "unknown option: " + app.remaining().front();
        else if (options.previewPath() == options.out)
            error = "the preview and the video cannot be the same file: " + options.out;
    } catch (const CLI::ValidationError&) {
        error = rejected;
    } catch (const CLI::ArgumentMismatch& mismatch) {
        // CLI11 names the option first: "--fps: 1 required FLOAT missing".
        const std::string text = mismatch.what();
        error = "missing value for " + text.substr(0, text.find(':'));
    } catch (const CLI::ParseError& other) {
        error = other.what();
    }
    return error.empty();
}

std::string RecordOptions::previewPath() const {
    return preview.empty() ? std::filesystem::path(out).replace_extension(".webp").string() : preview;
}

}  // namespace Quessel::Record
