// The bench's figures from made-up frames: which frames each ratio divides, per block and
// over the run, and what the goals and the memory figure are taken from.
#include "paths/CameraPath.h"
#include "bench/BenchFigures.h"

#include <gtest/gtest.h>

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
    sample.pathStep = kind == FrameKind::Floor ? -1 : 1;  // row 1 is a hold
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

BenchFigures compute(const std::vector<FrameSample>& samples) {
    return BenchFigures::compute(Quessel::Bench::BenchOptions(), Quessel::Bench::RunInfo(), samples);
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
    samples.back().pathStep = 0;  // a floor frame's row must not count
    const BenchFigures f = compute(samples);
    EXPECT_EQ(f.memoryWindow, 6);
    // Rounds 0-1 against rounds 2-3, every kind counted: (16000 - 8000) / 6.
    EXPECT_NEAR(f.growthKb, 8000.0 / 6.0, 1e-9);
    EXPECT_FALSE(f.memoryFlat());
    EXPECT_EQ(f.peakKb, 7000);
    // Row 1 is a hold; only demo frames are split by row.
    EXPECT_EQ(f.frameByPathKind[static_cast<int>(Quessel::CameraPath::Kind::Hold)].count, 4);
    EXPECT_EQ(f.frameByPathKind[static_cast<int>(Quessel::CameraPath::Kind::Move)].count, 0);
}

TEST(BenchFigures, TableRowsShowOnlyWhatWasMeasured) {
    std::FILE* out = std::tmpfile();
    compute(threeRounds()).printTable(out);
    std::rewind(out);
    std::string table;
    for (char line[256]; std::fgets(line, sizeof line, out);) table += line;
    std::fclose(out);
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
