// The bench's command line: a repeated option keeps its last value (but --mirror and --glass
// add one name each), --help ends with 0 and a bad value with 2 (a plot whose frames would
// go to the plot's own file, a look, scene, sky or background that cannot be among them),
// and neither lets a run go ahead.
#include "bench/BenchOptions.h"
#include "core/ToolReport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Quessel::Bench::BenchOptions;

int parse(std::vector<const char*> args, BenchOptions& options) {
    args.insert(args.begin(), "quessel-bench");
    return BenchOptions::parse(static_cast<int>(args.size()), const_cast<char**>(args.data()), options,
                               Quessel::ToolReport("quessel-bench"));
}

TEST(BenchOptions, RepeatedOptionsKeepTheLastValueAndHelpOrBadValuesEndTheRun) {
    BenchOptions options;
    EXPECT_EQ(parse({"--frames", "5", "--frames", "7", "--step", "0.1", "--sync-passes"}, options), -1);
    EXPECT_EQ(options.frames, 7);
    EXPECT_EQ(options.step, 0.1);
    EXPECT_TRUE(options.syncPasses);
    EXPECT_EQ(options.floorFramesOrDefault(), 7);
    EXPECT_EQ(parse({"--help"}, options), 0);
    EXPECT_EQ(parse({"--block", "0"}, options), Quessel::ToolReport::BadOptions);
}

TEST(BenchOptions, APlotThatWouldBeWrittenOverItsOwnFramesIsABadOption) {
    const struct {
        const char* svg;
        int status;
        const char* csv;  // the frames' file, when accepted
    } cases[] = {
        {"out.csv", Quessel::ToolReport::BadOptions, ""},
        {"plots/run.csv", Quessel::ToolReport::BadOptions, ""},
        {"out.svg", -1, "out.csv"},
        {"out.csv.svg", -1, "out.csv.csv"},
    };
    for (const auto& row : cases) {
        BenchOptions options;
        const int status = parse({"--svg", row.svg}, options);
        EXPECT_EQ(status, row.status) << row.svg;
        EXPECT_EQ(status == -1 ? options.csvPath() : "", row.csv) << row.svg;
    }
}

// The command line as typed, for a failure's message.
std::string typed(const std::vector<const char*>& args) {
    std::string text = "quessel-bench";
    for (const char* arg : args) text += std::string(" ") + arg;
    return text;
}

TEST(BenchOptions, ABroughtSceneTakesWhatTheOtherToolsTakeAndRefusesBadValues) {
    const std::string file = testing::TempDir() + "bench-options-scene.obj";
    std::ofstream(file) << "v 0 0 0\n";
    const char* const scene = file.c_str();
    const struct {
        std::vector<const char*> args;
        bool brought;
        std::vector<std::string> mirrors, glass;
        const char *look, *sky, *background;
    } accepted[] = {
        {{}, false, {}, {}, "own", "", "grey"},
        {{"--scene", scene}, true, {}, {}, "own", "", "grey"},
        {{"--scene", scene, "--mirror", "Visor", "--mirror", "Cube", "--glass", "Bottle", "--look", "demo", "--sky",
          scene, "--background", "#102030"},
         true, {"Visor", "Cube"}, {"Bottle"}, "demo", scene, "#102030"},
        {{"--scene", scene, "--background", "sky", "--look", "own"}, true, {}, {}, "own", "", "sky"},
    };
    for (const auto& row : accepted) {
        BenchOptions options;
        ASSERT_EQ(parse(row.args, options), -1) << typed(row.args);
        EXPECT_EQ(options.brought(), row.brought) << typed(row.args);
        EXPECT_EQ(options.mirrors, row.mirrors) << typed(row.args);
        EXPECT_EQ(options.glass, row.glass) << typed(row.args);
        EXPECT_EQ(options.look.look, row.look) << typed(row.args);
        EXPECT_EQ(options.look.sky, row.sky) << typed(row.args);
        EXPECT_EQ(options.look.background, row.background) << typed(row.args);
    }
    const std::vector<const char*> refused[] = {
        {"--look", "bogus"},
        {"--look"},
        {"--scene", "/nonexistent/duck.dae"},
        {"--scene", scene, "--sky", "/nonexistent/sky.hdr"},
        {"--scene", scene, "--background", "pink"},
        {"--scene", scene, "--mirror"},
        {"--scene", scene, "--glass"},
    };
    for (const auto& args : refused) {
        BenchOptions options;
        EXPECT_EQ(parse(args, options), Quessel::ToolReport::BadOptions) << typed(args);
    }
    std::remove(scene);
}

}  // namespace
