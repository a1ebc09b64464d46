// The bench's figures from made-up frames: which frames each ratio divides, per block and
// over the run, and what the goals and the memory figure are taken from; what a brought
// scene's table and JSON line say and leave out.
#include "paths/CameraPath.h"
#include "bench/BenchFigures.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Quessel::Pass;
using Quessel::Bench::BenchFigures;
using Quessel::Bench::FrameKind;
using Quessel::Bench::FrameSample;

constexpr int Refresh = static_cast<int>(Pass::EnvironmentMap);
constexpr int Main = static_cast<int>(Pass::Main);

FrameSample frame(FrameKind kind, int block, double ms, double refreshMs = 0.0, long residentKb = 1000) {
    FrameSample sample;
    sample.kind = kind;
    sample.block = block;
    sample.frameMs = ms;
    sample.issueMs = ms / 2.0;
    sample.gpuMs[Refresh] = refreshMs;
    sample.gpuMs[Main] = ms / 4.0;
    sample.residentKb = residentKb;
    sample.pathStep = kind == FrameKind::Floor ? -1 : 1;
    sample.pathKind = kind == FrameKind::Floor ? -1 : static_cast<int>(Quessel::CameraPath::Kind::Hold);
    return sample;
}

// Three rounds whose ratios differ from round to round and from the whole run's.
std::vector<FrameSample> threeRounds() {
    return {
        frame(FrameKind::Demo, 0, 100, 40),
        frame(FrameKind::Demo, 0, 102, 42),
        frame(FrameKind::Required, 0, 50, 10),
        frame(FrameKind::Required, 0, 50, 10),
        frame(FrameKind::Floor, 0, 10),
        frame(FrameKind::Floor, 0, 10),
        frame(FrameKind::Demo, 1, 300, 90),
        frame(FrameKind::Demo, 1, 300, 90),
        frame(FrameKind::Required, 1, 100, 30),
        frame(FrameKind::Required, 1, 100, 30),
        frame(FrameKind::Floor, 1, 20),
        // The last round has no floor frame (fewer floor frames than rounds).
        frame(FrameKind::Demo, 2, 90, 20),
        frame(FrameKind::Required, 2, 60, 20),
    };
}

BenchFigures compute(const std::vector<FrameSample>& samples,
                     const Quessel::Bench::BenchOptions& options = Quessel::Bench::BenchOptions()) {
    return BenchFigures::compute(options, Quessel::Bench::RunInfo(), samples);
}

// Two rounds of a brought scene's run: demo and floor frames, no required work.
std::vector<FrameSample> broughtRounds() {
    return {frame(FrameKind::Demo, 0, 80), frame(FrameKind::Demo, 0, 82), frame(FrameKind::Floor, 0, 20),
            frame(FrameKind::Demo, 1, 90), frame(FrameKind::Floor, 1, 30)};
}

Quessel::Bench::BenchOptions brought(const char* look, const char* sky = "") {
    Quessel::Bench::BenchOptions options;
    options.scene = "models/duck.dae";
    options.mirrors = {"Visor"};
    options.look.look = look;
    options.look.sky = sky;
    return options;
}

std::string tableOf(const BenchFigures& figures) {
    std::FILE* out = std::tmpfile();
    figures.printTable(out);
    std::rewind(out);
    std::string table;
    for (char line[512]; std::fgets(line, sizeof line, out);) table += line;
    std::fclose(out);
    return table;
}

TEST(BenchFigures, RunRatiosDivideTheMediansOfEachKind) {
    const BenchFigures f = compute(threeRounds());
    EXPECT_EQ(f.demo.frame.count, 5);
    EXPECT_EQ(f.required.frame.count, 5);
    EXPECT_EQ(f.floor.frame.count, 3);
    EXPECT_DOUBLE_EQ(f.demo.frame.median, 102.0);
    EXPECT_DOUBLE_EQ(f.required.frame.median, 60.0);
    EXPECT_DOUBLE_EQ(f.floor.frame.median, 10.0);
    EXPECT_DOUBLE_EQ(f.whole.demoToFloor, 10.2);
    EXPECT_DOUBLE_EQ(f.whole.demoToRequired, 1.7);
    EXPECT_DOUBLE_EQ(f.whole.requiredToFloor, 6.0);
    // The refresh's GPU medians: 42 in demo frames, 20 in required-work frames.
    EXPECT_DOUBLE_EQ(f.whole.environmentMapToRequired, 2.1);
    EXPECT_DOUBLE_EQ(f.required.gpu[Main].median, 15.0);
    EXPECT_DOUBLE_EQ(f.required.issue.median, 30.0);
}

TEST(BenchFigures, BlockRatiosAndTheirMediansSkipMissingBlocks) {
    const BenchFigures f = compute(threeRounds());
    ASSERT_EQ(f.blocks.size(), 3u);
    EXPECT_DOUBLE_EQ(f.blocks[0].demoToRequired, 101.0 / 50.0);
    EXPECT_DOUBLE_EQ(f.blocks[1].demoToRequired, 3.0);
    EXPECT_DOUBLE_EQ(f.blocks[2].demoToRequired, 1.5);
    EXPECT_DOUBLE_EQ(f.blocks[0].environmentMapToRequired, 4.1);
    EXPECT_DOUBLE_EQ(f.blocks[1].requiredToFloor, 5.0);
    EXPECT_DOUBLE_EQ(f.blocks[2].floorMs, 0.0);
    EXPECT_DOUBLE_EQ(f.blocks[2].demoToFloor, 0.0);

    EXPECT_DOUBLE_EQ(f.blockMedians.demoToRequired, 101.0 / 50.0);
    EXPECT_DOUBLE_EQ(f.blockMedians.environmentMapToRequired, 3.0);
    // Only the two rounds with floor frames: 10.1 and 15.
    EXPECT_DOUBLE_EQ(f.blockMedians.demoToFloor, (10.1 + 15.0) / 2.0);
    EXPECT_DOUBLE_EQ(f.blockMedians.requiredToFloor, 5.0);
}

TEST(BenchFigures, MemoryAndPathRowsComeFromTheRightFrames) {
    std::vector<FrameSample> samples;
    for (int round = 0; round < 4; ++round) {
        samples.push_back(frame(FrameKind::Demo, round, 100, 10, 1000));
        // Only the required-work frames grow: the swap is where a leak would sit.
        samples.push_back(frame(FrameKind::Required, round, 50, 5, 1000 + 2000 * round));
        samples.push_back(frame(FrameKind::Floor, round, 10, 0, 1000));
    }
    samples.back().pathKind = 0;  // a floor frame's row must not count
    const BenchFigures f = compute(samples);
    EXPECT_EQ(f.memoryWindow, 6);
    // Rounds 0-1 against rounds 2-3, every kind counted: (16000 - 8000) / 6.
    EXPECT_NEAR(f.growthKb, 8000.0 / 6.0, 1e-9);
    EXPECT_FALSE(f.memoryFlat());
    EXPECT_EQ(f.peakKb, 7000);
    // Every demo frame ran on a hold; only demo frames are split by row.
    EXPECT_EQ(f.frameByPathKind[static_cast<int>(Quessel::CameraPath::Kind::Hold)].count, 4);
    EXPECT_EQ(f.frameByPathKind[static_cast<int>(Quessel::CameraPath::Kind::Move)].count, 0);
}

TEST(BenchFigures, TableRowsShowOnlyWhatWasMeasured) {
    const std::string table = tableOf(compute(threeRounds()));
    // Main: GPU median 25.5, p95 and max 75, 25 % of the demo's median frame, 15 in the
    // required-work frames and the demo over that; the camera pass has no GL work to time.
    // Every demo frame ran on row 1, a hold; the other kinds of row have no line. The sums
    // add the refresh's and main's GPU medians (42 + 25.5 in demo frames, 20 + 15 in required).
    for (const char* row :
         {"\nmain                  25.50     75.00     75.00    25.0%       0.00 |         15.00       "
          "0.00    1.70\n",
          "\ncamera                    -         -         -                0.00 |             -       "
          "0.00\n",
          "  6.67\ndemo frame, hold (5)              102.00    300.00    300.00    178.40\n\n",
          "\nsum of medians        67.50                                              35.00\n"})
        EXPECT_NE(table.find(row), std::string::npos) << row << table;
}

TEST(BenchFigures, ABroughtScenesLineNamesItsSceneAndLookAndHoldsNoRequiredWork) {
    using Json = nlohmann::json;
    const struct {
        const char* what;
        BenchFigures figures;
        Json expected;  // keys with their values
        std::vector<const char*> absent;
    } cases[] = {
        {"ours",
         compute(threeRounds()),
         {{"bench", "quessel"}, {"required_frames", 5}, {"ratio_to_required", 1.7}},
         {"scene", "look", "sky", "required_work"}},
        {"own look",
         compute(broughtRounds(), brought("own")),
         {{"scene", "models/duck.dae"},
          {"look", "own"},
          {"sky", "studio"},
          {"background", "grey"},
          {"mirrors", {"Visor"}},
          {"glass", Json::array()},
          {"frames", 3},
          {"required_frames", 0},
          {"floor_frames", 2},
          {"ratio", 3.28},
          {"block_medians", {{"ratio", (81.0 / 20.0 + 90.0 / 30.0) / 2.0}}},
          {"gl_errors_by_kind", {{"demo", 0}, {"floor", 0}}},
          {"goals", {{"memory_flat", true}, {"no_gl_error", true}}}},
         {"required", "ratio_to_required", "required_to_floor", "environment_map_to_required", "swap_check"}},
        {"the demo's shading",
         compute(broughtRounds(), brought("demo", "studio.hdr")),
         {{"scene", "models/duck.dae"}, {"look", "demo"}, {"required_frames", 0}},
         {"sky", "background", "required", "swap_check"}},
    };
    for (const auto& row : cases) {
        const Json json = Json::parse(row.figures.jsonLine());
        for (const auto& [key, value] : row.expected.items())
            EXPECT_EQ(json.value(key, Json()), value) << row.what << ": " << key;
        for (const char* key : row.absent) EXPECT_FALSE(json.contains(key)) << row.what << ": " << key;
        const bool ours = !row.figures.options.brought();
        EXPECT_EQ(json.contains("required_work"), !ours) << row.what;
        EXPECT_EQ(json["goals"].contains("ratio_within_7"), ours) << row.what;
        EXPECT_EQ(json["blocks"].at(0).contains("required_ms"), ours) << row.what;
    }
}

TEST(BenchFigures, ABroughtScenesTableNamesItsSceneAndLookAndHoldsNoRequiredWork) {
    const std::string table = tableOf(compute(broughtRounds(), brought("own")));
    for (const char* line : {"\nscene models/duck.dae, mirrors Visor; look own (environment the studio made in code, "
                             "background grey)\n",
                             "\ndemo / floor frame                                 3.28          3.52\n",
                             "\nrequired-work frames: left out for a brought scene",
                             "\nframes per second: demo 11.90 (12.20 at the median frame), floor 40.00\n",
                             "\nGL errors: demo frames 0, floor frames 0\n"})
        EXPECT_NE(table.find(line), std::string::npos) << line << table;
    // No required-work rows or columns, and none of our scene's frame-time goals.
    for (const char* text : {"required-work frame ", "required-work CPU", " | ", "required GPU", "goal: demo median"})
        EXPECT_EQ(table.find(text), std::string::npos) << text << table;
    EXPECT_NE(tableOf(compute(broughtRounds(), brought("demo"))).find("; look demo (the demo's shading)\n"),
              std::string::npos);
}

TEST(BenchFigures, GoalsAtTheirLimits) {
    BenchFigures f;
    f.whole.demoToRequired = 2.0;
    f.whole.environmentMapToRequired = 2.0;
    f.whole.demoToFloor = 7.0;
    f.memoryWindow = 100;
    f.growthKb = BenchFigures::FlatGrowthKb;
    EXPECT_TRUE(f.requiredMet());
    EXPECT_TRUE(f.environmentMapMet());
    EXPECT_TRUE(f.floorMet());
    EXPECT_TRUE(f.memoryFlat());
    EXPECT_TRUE(f.noGlError());

    f.whole.demoToRequired = 2.01;
    f.whole.environmentMapToRequired = 0.0;  // not measured is not met
    f.whole.demoToFloor = 7.01;
    f.growthKb = BenchFigures::FlatGrowthKb + 1;
    f.info.swapGlErrors = 1;
    EXPECT_FALSE(f.requiredMet());
    EXPECT_FALSE(f.environmentMapMet());
    EXPECT_FALSE(f.floorMet());
    EXPECT_FALSE(f.memoryFlat());
    EXPECT_EQ(f.glErrors(), 1);
    f.info.swapGlErrors = 0;
    f.info.glErrors[static_cast<int>(FrameKind::Required)] = 2;
    EXPECT_EQ(f.glErrors(), 2);
    EXPECT_FALSE(f.noGlError());
}

}  // namespace
