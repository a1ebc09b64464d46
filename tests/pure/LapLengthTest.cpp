// How many frames a recording runs until the camera path is back at its first row, counted
// without GL: a whole lap at 30 fps is the 1501 frames of the video, a later start leaves
// the rest of that same lap, to the frame, and a row of an hour is counted to its end
// unless a stop request ends the count.
#include "paths/LapLength.h"
#include "paths/CameraPath.h"

#include <gtest/gtest.h>

using Quessel::LapLength;

TEST(LapLength, ALaterStartRecordsTheRestOfTheSameLap) {
    EXPECT_EQ(LapLength::framesToLapEnd(0.0, 1.0 / 30.0), 1501);
    for (double fps : {30.0, 24.0, 60.0, 2.0}) {
        const double step = 1.0 / fps;
        const long lap = LapLength::framesToLapEnd(0.0, step);
        // Row ends on frame boundaries drop a little time each: a lap is 50 s give or take.
        EXPECT_NEAR(lap * step, 50.0, 17.0 * step) << fps << " fps";
        // Times just past row ends, a start between frames and one close to the lap's end.
        for (double start : {6.0, 21.0, 26.0, 38.0, 6.3, 17.01, 49.9}) {
            SCOPED_TRACE(testing::Message() << fps << " fps from " << start << " s");
            EXPECT_EQ(LapLength::framesBy(start, step), static_cast<long>(start * fps + 1e-6));
            EXPECT_EQ(LapLength::framesBy(start, step) + LapLength::framesToLapEnd(start, step), lap);
        }
    }
}

TEST(LapLength, AnHourLongRowIsCountedToItsEndAndAStopRequestEndsTheCount) {
    using Quessel::CameraPath;
    CameraPath::Script script;
    script.start = {0.0f, 0.0f, 5.0f};
    script.startTarget = {0.0f, 0.0f, 0.0f};
    script.add(CameraPath::Kind::Hold, 3600.0f);
    script.add(CameraPath::Kind::Move, 1.0f, {0.0f, 0.0f, 5.0f}, {1.0f, 0.0f, 5.0f});
    for (double fps : {1.0, 30.0, 240.0}) {
        SCOPED_TRACE(testing::Message() << fps << " fps");
        const double step = 1.0 / fps;
        const long lap = LapLength::framesToLapEnd(0.0, step, script);
        // The camera's float clock ends an hour's hold within a few per cent of it.
        EXPECT_NEAR(lap * step, 3601.0, 0.03 * 3601.0);
        EXPECT_EQ(LapLength::framesBy(1800.0, step) + LapLength::framesToLapEnd(1800.0, step, script), lap);
    }
    // Rows shorter than a frame take a frame each.
    CameraPath::Script quick = script;
    quick.rows.clear();
    for (int row = 0; row < 1000; ++row)
        quick.add(CameraPath::Kind::Move, 0.01f, {0.0f, 0.0f, 5.0f - row % 2}, {0.0f, 0.0f, 4.0f + row % 2});
    EXPECT_EQ(LapLength::framesToLapEnd(0.0, 1.0, quick), 1000);
    // Asked now and then, not every frame: the fourth ask ends a count of a million frames.
    int asked = 0;
    EXPECT_EQ(LapLength::framesToLapEnd(0.0, 1.0 / 240.0, script, [&asked] { return ++asked > 3; }), -1);
    EXPECT_EQ(asked, 4);
}
