#include "record/RecordOptions.h"

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdlib>
#include <functional>

namespace Quessel::Record {

namespace {
constexpr double MaxSeconds = 3600.0;
constexpr double MaxFps = 240.0;

// A validator that tells, in our words, what a value should have been; `rejected` gets
// the message, since CLI11 puts the option's name in front of a validator's own text.
CLI::Validator accepting(std::function<bool(const std::string&)> good, const std::string& name, const char* expected,
                         std::string& rejected) {
    return CLI::Validator(
        [=, &rejected](std::string& value) {
            // CLI11 hands an option the next word even when that is another option.
            if (value.rfind("--", 0) == 0)
                rejected = "missing value for " + name;
            else if (!good(value))
                rejected = fmt::format("bad value for {}: \"{}\" (expected {})", name, value, expected);
            else
                return std::string();
            return rejected;
        },
        "");
}

std::function<bool(const std::string&)> numberFrom(double low, bool lowIncluded, double high) {
    return [=](const std::string& text) {
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        return end != text.c_str() && *end == '\0' && std::isfinite(value) && value <= high &&
               (value > low || (lowIncluded && value == low));
    };
}

// A path ending in a slash names a folder, not a file.
bool fileName(const std::string& path) { return !path.empty() && path.back() != '/'; }
bool folderName(const std::string& path) { return !path.empty(); }
}  // namespace

const char* RecordOptions::usage() {
    return "Usage: quessel-record [--seconds S] [--start T] [--fps N] [--out FILE] [--preview FILE]\n"
           "                      [--stills DIR]\n"
           "Renders the demo's frames at a fixed time step in the real 1280 x 768 window and\n"
           "encodes them with ffmpeg (an H.264 MP4) and img2webp (an animated WebP preview).\n"
           "  --seconds S     seconds of demo time to record (default: until the camera path\n"
           "                  returns to its first row: from t = 0 one whole lap)\n"
           "  --start T       demo time to begin at (default 0): the frames are those a recording\n"
           "                  from 0 shows from T on, reached by running the ones before unrecorded\n"
           "  --fps N         frames per second of the video, 1 to 240 (default 30)\n"
           "  --out FILE      the MP4 (default quessel-loop.mp4)\n"
           "  --preview FILE  the preview, at most 8 MB, about 640 x 384 at 10 fps\n"
           "                  (default: beside the MP4, named like it with .webp)\n"
           "  --stills DIR    also every recorded frame as a PNG in DIR, frame-NNNNN.png, NNNNN\n"
           "                  counting the frames from t = 0 at this rate\n"
           "  --help          this text\n"
           "Run it from the run directory (build/bin), like quessel. Ctrl-C or Escape stops\n"
           "the recording and leaves no file behind.\n";
}

bool RecordOptions::parse(int argc, const char* const* argv, RecordOptions& options, std::string& error) {
    CLI::App app;
    app.set_help_flag();
    app.allow_extras();
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    std::string rejected;
    app.add_flag("-h,--help", options.help);
    app.add_option("--seconds", options.seconds)
        ->check(accepting(numberFrom(0.0, false, MaxSeconds), "--seconds", "seconds above 0, at most 3600", rejected));
    app.add_option("--start", options.start)
        ->check(accepting(numberFrom(0.0, true, MaxSeconds), "--start", "seconds from 0 to 3600", rejected));
    app.add_option("--fps", options.fps)
        ->check(accepting(numberFrom(1.0, true, MaxFps), "--fps", "frames per second from 1 to 240", rejected));
    app.add_option("--out", options.out)->check(accepting(fileName, "--out", "a file name", rejected));
    app.add_option("--preview", options.preview)->check(accepting(fileName, "--preview", "a file name", rejected));
    app.add_option("--stills", options.stills)->check(accepting(folderName, "--stills", "a folder", rejected));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ValidationError&) {
        error = rejected;
        return false;
    } catch (const CLI::ArgumentMismatch& mismatch) {
        // CLI11 names the option first: "--fps: 1 required FLOAT missing".
        const std::string text = mismatch.what();
        error = "missing value for " + text.substr(0, text.find(':'));
        return false;
    } catch (const CLI::ParseError& other) {
        error = other.what();
        return false;
    }
    if (!app.remaining().empty()) {
        error = "unknown option: " + app.remaining().front();
        return false;
    }
    if (options.previewPath() == options.out) {
        error = "the preview and the video cannot be the same file: " + options.out;
        return false;
    }
    return true;
}

std::string RecordOptions::previewPath() const {
    if (!preview.empty()) return preview;
    const size_t slash = out.find_last_of('/');
    const size_t dot = out.find_last_of('.');
    // A leading dot (".loop") starts a name, not an extension.
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    return (hasExtension ? out.substr(0, dot) : out) + ".webp";
}

}  // namespace Quessel::Record
