// The bench's command line: a repeated option keeps its last value, --help ends with 0 and a
// bad value with 2 (a plot whose frames would go to the plot's own file among them), and
// neither lets a run go ahead.
#include "bench/BenchOptions.h"
#include "core/ToolReport.h"

#include <gtest/gtest.h>

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

}  // namespace
