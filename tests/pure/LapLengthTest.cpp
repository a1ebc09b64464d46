// How many frames a recording runs until the camera path is back at its first row, counted
// without GL: a whole lap at 30 fps is the 1501 frames of the video, and a later start
// leaves the rest of that same lap, to the frame.
#include "app/FrameDriver.h"

#include <gtest/gtest.h>

using Quessel::FrameDriver;

TEST(LapLength, ALaterStartRecordsTheRestOfTheSameLap) {
    EXPECT_EQ(FrameDriver::framesToLapEnd(0.0, 1.0 / 30.0), 1501);
    for (double fps : {30.0, 24.0, 60.0, 2.0}) {
        const double step = 1.0 / fps;
        const int lap = FrameDriver::framesToLapEnd(0.0, step);
        // Row ends on frame boundaries drop a little time each: a lap is 50 s give or take.
        EXPECT_NEAR(lap * step, 50.0, 17.0 * step) << fps << " fps";
        // Times just past row ends, a start between frames and one close to the lap's end.
        for (double start : {6.0, 21.0, 26.0, 38.0, 6.3, 17.01, 49.9}) {
            SCOPED_TRACE(testing::Message() << fps << " fps from " << start << " s");
            EXPECT_EQ(FrameDriver::framesBy(start, step), static_cast<long>(start * fps + 1e-6));
            EXPECT_EQ(FrameDriver::framesBy(start, step) + FrameDriver::framesToLapEnd(start, step), lap);
        }
    }
}
