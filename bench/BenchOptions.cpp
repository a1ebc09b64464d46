#include "bench/BenchOptions.h"

#include <cstdlib>
#include <cstring>

namespace Quessel::Bench {

namespace {
bool parseCount(const char* text, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < 1 || parsed > 1000000) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool parseSeconds(const char* text, double& value) {
    char* end = nullptr;
    const double parsed = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(parsed > 0.0) || parsed > 10.0) return false;
    value = parsed;
    return true;
}
}  // namespace

const char* BenchOptions::usage() {
    return "Usage: quessel-bench [--frames N] [--floor-frames N] [--block N] [--step SECONDS]\n"
           "                     [--svg PATH] [--sync-passes]\n"
           "  --frames N        measured demo frames, and as many required-work frames\n"
           "                    (default 300)\n"
           "  --floor-frames N  measured floor frames (default: as many as --frames)\n"
           "  --block N         frames of each kind measured in turn (default 10)\n"
           "  --step SECONDS    simulated time per demo frame (default 0.05)\n"
           "  --svg PATH        where the frame-time plot goes (default bench.svg)\n"
           "  --sync-passes     glFinish after every pass: per-pass wall times that hold\n"
           "                    each pass's own GL work (the frame times then are not\n"
           "                    the demo's)\n"
           "Run it from the run directory (build/bin), like quessel.\n";
}

bool BenchOptions::parse(int argc, const char* const* argv, BenchOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const char* name = argv[i];
        if (std::strcmp(name, "-h") == 0 || std::strcmp(name, "--help") == 0) {
            options.help = true;
            continue;
        }
        if (std::strcmp(name, "--sync-passes") == 0) {
            options.syncPasses = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = std::string("missing value or unknown option: ") + name;
            return false;
        }
        const char* value = argv[++i];
        bool ok = false;
        if (std::strcmp(name, "--frames") == 0)
            ok = parseCount(value, options.frames);
        else if (std::strcmp(name, "--floor-frames") == 0)
            ok = parseCount(value, options.floorFrames);
        else if (std::strcmp(name, "--block") == 0)
            ok = parseCount(value, options.block);
        else if (std::strcmp(name, "--step") == 0)
            ok = parseSeconds(value, options.step);
        else if (std::strcmp(name, "--svg") == 0) {
            options.svgPath = value;
            ok = !options.svgPath.empty();
        } else {
            error = std::string("unknown option: ") + name;
            return false;
        }
        if (!ok) {
            error = std::string("bad value for ") + name + ": " + value;
            return false;
        }
    }
    return true;
}

}  // namespace Quessel::Bench
