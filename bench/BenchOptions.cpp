#include "bench/BenchOptions.h"

#include "look/BackgroundChoice.h"
#include "core/ToolReport.h"

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>

namespace Quessel::Bench {

namespace {
// Checked on the text, so a bad value is named as it was typed.
CLI::Validator inRange(bool whole) {
    return CLI::Validator(
        [whole](std::string& text) {
            char* end = nullptr;
            const double value = whole ? std::strtol(text.c_str(), &end, 10) : std::strtod(text.c_str(), &end);
            if (!text.empty() && *end == '\0' && (whole ? value >= 1 && value <= 1000000 : value > 0 && value <= 10))
                return std::string();
            return "bad value " + text +
                   (whole ? ": not a whole number from 1 to 1000000"
                          : ": not a number of seconds above 0 and at most 10");
        },
        "");
}

// The plot's frames go beside it with the extension .csv: a plot of that name would be
// written over them.
const CLI::Validator PlotPath(
    [](std::string& text) -> std::string {
        if (text.empty()) return "bad value: an empty path";
        BenchOptions plot;
        plot.svgPath = text;
        if (plot.csvPath() != text) return "";
        return "bad value " + text + ": the plot and its frames (the plot's name with .csv) would be the same file";
    },
    "");

const CLI::Validator Background(
    [](std::string& text) {
        std::string error;
        return BackgroundChoice::parse(text, error) ? std::string() : error;
    },
    "");
}  // namespace

std::string BenchOptions::csvPath() const { return std::filesystem::path(svgPath).replace_extension(".csv"); }

int BenchOptions::parse(int argc, char** argv, BenchOptions& options, const ToolReport& report) {
    CLI::App app(
        "Measures the demo's frames, the same frames with the cheapest shaders and the cheapest\n"
        "frame of the window, in alternating blocks.",
        "quessel-bench");
    app.get_formatter()->column_width(20);
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    const auto add = [&app](const char* name, auto& value, const char* type, const char* help, CLI::Validator check) {
        app.add_option(name, value, help)->type_name(type)->check(check);
    };
    add("--frames", options.frames, "N", "measured demo frames, and as many required-work frames\n(default 300)",
        inRange(true));
    add("--floor-frames", options.floorFrames, "N", "measured floor frames (default: as many as --frames)",
        inRange(true));
    add("--block", options.block, "N", "frames of each kind measured in turn (default 10)", inRange(true));
    add("--step", options.step, "SECONDS", "simulated time per demo frame (default 0.05)", inRange(false));
    add("--svg", options.svgPath, "PATH",
        "where the frame-time plot goes (default bench.svg); its\nframes go beside it as .csv", PlotPath);
    app.add_flag("--sync-passes", options.syncPasses,
                 "glFinish after every pass: per-pass wall times that hold\neach pass's own GL work (the frame "
                 "times then are not\nthe demo's)");
    add("--overlay-cost", options.overlayCost, "FRAMES",
        "instead: what the study tool's overlay costs, in 20 rounds\nof FRAMES frames with it and without",
        inRange(true));
    add("--scene", options.scene, "FILE",
        "another scene, in any format Assimp reads, flown along its\ntour: demo and floor frames only",
        CLI::ExistingFile.description(""));
    // Repeated, each adds a name: collected one by one past the last-one-counts default.
    for (auto [name, names, help] :
         {std::tuple{"--mirror", &options.mirrors, "reflects"}, std::tuple{"--glass", &options.glass, "refracts"}})
        app.add_option(name, *names, fmt::format("the node NAME {} through a cube map of its own\n(repeatable)", help))
            ->type_name("NAME")
            ->expected(1)
            ->take_all();
    add("--look", options.look.look, "own|demo",
        "a brought scene with its own environment, lights and\nmaterials (own, default) or the demo's shading (demo)",
        CLI::IsMember({"own", "demo"}).description(""));
    add("--sky", options.look.sky, "FILE",
        "the environment lighting a brought scene: an\nequirectangular .hdr, .exr or image panorama (default: a\n"
        "neutral studio made in code)",
        CLI::ExistingFile.description(""));
    add("--background", options.look.background, "B", "behind a brought scene: sky, grey (default) or #RRGGBB",
        Background);
    app.footer(
        fmt::format("A brought scene is measured from t = {:g} s of its tour, without required-work frames\n"
                    "(its own look draws with programs of its own, which the swap would leave in): compare\n"
                    "--look own with --look demo by their demo frames, each against its own floor.\n"
                    "Run it from the run directory (build/bin), like quessel. Ctrl-C stops it at the next\n"
                    "frame and writes nothing.",
                    BenchOptions::BroughtStartSeconds));
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ArgumentMismatch& error) {
        // CLI11 words it "--frames: 1 required N missing".
        const std::string text = error.what();
        return report.badOptions(text.substr(0, text.find(':')) + ": the value is missing");
    } catch (const CLI::ParseError& error) {
        return report.badOptions(error.what());
    }
    return -1;
}

}  // namespace Quessel::Bench
