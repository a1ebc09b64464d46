// The recorder's time steps, worked out without GL: a whole lap ends on the frame in which
// the path is back at its first row, a later start shortens the lap, and the unrecorded
// steps reach the start exactly without skipping a row.
#include "record/RecordingPlan.h"

#include "app/CameraPath.h"
#include "math/Camera.h"
#include "record/RecordOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace Quessel;
using namespace Quessel::Record;

namespace {
RecordingPlan planFor(double seconds, double start, double fps) {
    RecordOptions options;
    options.seconds = seconds;
    options.start = start;
    options.fps = fps;
    return RecordingPlan::make(options);
}

// Steps a camera and path of the test's own through the plan; the path's row after each
// recorded frame.
std::vector<int> rowsOf(const RecordingPlan& plan, Camera& camera) {
    CameraPath path(camera);
    path.start();
    for (double dt : plan.fastForward) path.advance(static_cast<float>(dt));
    std::vector<int> rows;
    for (int frame = 0; frame < plan.frames; ++frame) {
        path.advance(static_cast<float>(plan.frameStep));
        rows.push_back(path.step);
    }
    return rows;
}
}  // namespace

TEST(RecordingPlan, AWholeLapEndsOnTheFrameThatIsBackAtTheStart) {
    for (double fps : {30.0, 60.0, 24.0}) {
        SCOPED_TRACE(fps);
        const RecordingPlan plan = planFor(0.0, 0.0, fps);
        EXPECT_TRUE(plan.fastForward.empty());
        EXPECT_DOUBLE_EQ(plan.frameStep, 1.0 / fps);
        // 50 s of rows; each ends on a frame boundary, so a row may gain or lose a frame.
        EXPECT_NEAR(plan.frames, 50.0 * fps, 17.0);
        Camera camera;
        const std::vector<int> rows = rowsOf(plan, camera);
        ASSERT_EQ(rows.size(), static_cast<size_t>(plan.frames));
        EXPECT_EQ(rows.back(), 0);
        EXPECT_EQ(rows[rows.size() - 2], 16);
        EXPECT_NEAR(glm::length(camera.position - CameraPath::points[0]), 0.0f, 1e-4f);
        // Every row is shown on the way.
        for (int row = 0; row < CameraPath::StepCount; ++row)
            EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << "row " << row;
    }
}

TEST(RecordingPlan, ALaterStartLeavesThePathWhereARecordingFromZeroHasIt) {
    const RecordingPlan whole = planFor(0.0, 0.0, 30.0);
    for (double start : {25.3, 5.02, 17.6, 49.9}) {
        SCOPED_TRACE(start);
        const RecordingPlan plan = planFor(0.0, start, 30.0);
        ASSERT_GT(plan.frames, 0);
        const long earlier = std::lround(start * 30.0);
        Camera continuous;
        CameraPath continuousPath(continuous);
        continuousPath.start();
        for (long frame = 0; frame < earlier; ++frame) continuousPath.advance(1.0f / 30.0f);

        Camera camera;
        CameraPath path(camera);
        path.start();
        for (double dt : plan.fastForward) {
            EXPECT_LE(dt, 1.0 + 1e-3);  // no longer than the shortest row: none is skipped
            path.advance(static_cast<float>(dt));
        }
        EXPECT_LT(plan.fastForward.size(), 80u);
        EXPECT_EQ(path.step, continuousPath.step);
        EXPECT_NEAR(camera.pathTime, continuous.pathTime, 1e-5f);
        EXPECT_NEAR(glm::length(camera.position - continuous.position), 0.0f, 1e-4f);
        // The rest of the whole lap, to the frame.
        EXPECT_EQ(plan.frames, whole.frames - earlier);
    }
}

TEST(RecordingPlan, SecondsGiveTheFrameCountAtTheRate) {
    EXPECT_EQ(planFor(2.5, 0.0, 30.0).frames, 75);
    EXPECT_EQ(planFor(1.0, 40.0, 24.0).frames, 24);
    EXPECT_EQ(planFor(0.001, 0.0, 30.0).frames, 1);
    EXPECT_DOUBLE_EQ(planFor(2.5, 0.0, 30.0).seconds(), 2.5);
}
