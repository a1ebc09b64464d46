// The recorder's progress line as users see it: the count, the percentage, the rate and
// the time left, rewritten in place on a terminal and one line each in a log.
#include "record/ProgressLine.h"

#include <gtest/gtest.h>

using Quessel::Record::ProgressLine;

TEST(ProgressLine, SaysTheCountPercentageRateAndTimeLeft) {
    const struct {
        ProgressLine line;
        const char* text;
    } cases[] = {
        {{"frame", 0, 900, 0.0, false, false}, "quessel-record: frame 0/900 (0%), 0.0 fps, 0:00 left\n"},
        {{"frame", 1, 900, 1.5, false, false}, "quessel-record: frame 1/900 (0%), 1.5 fps, 9:59 left\n"},
        {{"frame", 450, 900, 30.0, false, false}, "quessel-record: frame 450/900 (50%), 30.0 fps, 0:15 left\n"},
        {{"frame", 899, 900, 0.96, false, false}, "quessel-record: frame 899/900 (99%), 1.0 fps, 0:01 left\n"},
        {{"frame", 900, 900, 2.0, false, true}, "quessel-record: frame 900/900 (100%), 2.0 fps, 0:00 left\n"},
        {{"unrecorded frame", 0, 0, 0.0, false, true},
         "quessel-record: unrecorded frame 0/0 (100%), 0.0 fps, 0:00 left\n"},
        {{"unrecorded frame", 300, 1200, 0.5, true, false},
         "\rquessel-record: unrecorded frame 300/1200 (25%), 0.5 fps, 30:00 left\033[K"},
        {{"frame", 900, 900, 2.0, true, true}, "\rquessel-record: frame 900/900 (100%), 2.0 fps, 0:00 left\033[K\n"},
    };
    for (const auto& expected : cases) EXPECT_EQ(expected.line.text(), expected.text);
}
