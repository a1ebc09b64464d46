#include "record/RecordOptions.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace Quessel::Record {

namespace {
constexpr double MaxSeconds = 3600.0;
constexpr double MaxFps = 240.0;

bool parseNumber(const char* text, double low, double high, bool lowIncluded, double& value) {
    char* end = nullptr;
    const double parsed = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(parsed)) return false;
    if (parsed > high || parsed < low || (!lowIncluded && parsed == low)) return false;
    value = parsed;
    return true;
}

bool hasValue(const char* name) {
    return std::strcmp(name, "--seconds") == 0 || std::strcmp(name, "--start") == 0 ||
           std::strcmp(name, "--fps") == 0 || std::strcmp(name, "--out") == 0 || std::strcmp(name, "--preview") == 0;
}

// What a value must be, for the message that rejects it.
const char* expected(const std::string& name) {
    if (name == "--seconds") return "seconds above 0, at most 3600";
    if (name == "--start") return "seconds from 0 to 3600";
    if (name == "--fps") return "frames per second from 1 to 240";
    return "a file name";
}

bool parseValue(const std::string& name, const char* value, RecordOptions& options) {
    if (name == "--seconds") return parseNumber(value, 0.0, MaxSeconds, false, options.seconds);
    if (name == "--start") return parseNumber(value, 0.0, MaxSeconds, true, options.start);
    if (name == "--fps") return parseNumber(value, 1.0, MaxFps, true, options.fps);
    std::string& path = name == "--out" ? options.out : options.preview;
    path = value;
    // A path ending in a slash names a folder, not a file.
    return !path.empty() && path.back() != '/';
}
}  // namespace

const char* RecordOptions::usage() {
    return "Usage: quessel-record [--seconds S] [--start T] [--fps N] [--out FILE] [--preview FILE]\n"
           "Renders the demo's frames at a fixed time step in the real 1280 x 768 window and\n"
           "encodes them with ffmpeg (an H.264 MP4) and img2webp (an animated WebP preview).\n"
           "  --seconds S     seconds of demo time to record (default: until the camera path\n"
           "                  returns to its first row: from t = 0 one whole lap)\n"
           "  --start T       demo time to begin at (default 0; reached with unrecorded frames)\n"
           "  --fps N         frames per second of the video, 1 to 240 (default 30)\n"
           "  --out FILE      the MP4 (default quessel-loop.mp4)\n"
           "  --preview FILE  the preview, at most 8 MB, about 640 x 384 at 10 fps\n"
           "                  (default: beside the MP4, named like it with .webp)\n"
           "  --help          this text\n"
           "Run it from the run directory (build/bin), like quessel. Ctrl-C or Escape stops\n"
           "the recording and leaves no file behind.\n";
}

bool RecordOptions::parse(int argc, const char* const* argv, RecordOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "-h" || name == "--help") {
            options.help = true;
            continue;
        }
        if (!hasValue(name.c_str())) {
            error = "unknown option: " + name;
            return false;
        }
        if (i + 1 >= argc) {
            error = "missing value for " + name;
            return false;
        }
        const char* value = argv[++i];
        if (!parseValue(name, value, options)) {
            error = "bad value for " + name + ": \"" + value + "\" (expected " + expected(name) + ")";
            return false;
        }
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
