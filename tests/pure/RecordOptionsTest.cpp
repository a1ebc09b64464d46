// The recorder's command line: defaults, the preview's default name, and every bad value
// refused with the message the user reads.
#include "record/RecordOptions.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Quessel;
using namespace Quessel::Record;

namespace {
bool parse(std::vector<const char*> args, RecordOptions& options, std::string& error) {
    args.insert(args.begin(), "quessel-record");
    return RecordOptions::parse(static_cast<int>(args.size()), args.data(), options, error);
}
}  // namespace

TEST(RecordOptions, DefaultsRecordALapAt30FpsIntoTheLoopFiles) {
    RecordOptions options;
    std::string error;
    ASSERT_TRUE(parse({}, options, error)) << error;
    EXPECT_EQ(options.seconds, 0.0);
    EXPECT_EQ(options.start, 0.0);
    EXPECT_EQ(options.fps, 30.0);
    EXPECT_EQ(options.out, "quessel-loop.mp4");
    EXPECT_EQ(options.previewPath(), "quessel-loop.webp");
    EXPECT_TRUE(options.stills.empty());
}

TEST(RecordOptions, EveryOptionTakesItsValue) {
    RecordOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--seconds", "2.5", "--start", "10", "--fps", "24", "--out", "a/b.mp4", "--preview", "c.webp",
                       "--stills", "shots"},
                      options, error))
        << error;
    EXPECT_EQ(options.stills, "shots");
    EXPECT_EQ(options.seconds, 2.5);
    EXPECT_EQ(options.start, 10.0);
    EXPECT_EQ(options.fps, 24.0);
    EXPECT_EQ(options.out, "a/b.mp4");
    EXPECT_EQ(options.previewPath(), "c.webp");
    EXPECT_FALSE(options.help);
    EXPECT_TRUE(parse({"--help"}, options, error));
    EXPECT_TRUE(options.help);
}

TEST(RecordOptions, ABroughtScenesRecordingIsNamedAfterItUnlessOutSaysOtherwise) {
    const std::string scene = std::string(QUESSEL_SOURCE_DIR) + "/tests/e2e/lib/scenes.sh";
    const struct {
        std::vector<const char*> args;
        const char* out;
    } rows[] = {
        {{"--scene", scene.c_str()}, "scenes.mp4"},
        {{"--scene", scene.c_str(), "--out", "quessel-loop.mp4"}, "quessel-loop.mp4"},
        {{"--out", "mine.mp4", "--scene", scene.c_str()}, "mine.mp4"},
        {{"--seconds", "1"}, "quessel-loop.mp4"},
    };
    for (const auto& row : rows) {
        RecordOptions options;
        std::string error;
        ASSERT_TRUE(parse(row.args, options, error)) << error;
        EXPECT_EQ(options.out, row.out);
    }
}

TEST(RecordOptions, ThePreviewSitsBesideTheVideoNamedLikeIt) {
    RecordOptions options;
    options.out = "build/record/loop.mp4";
    EXPECT_EQ(options.previewPath(), "build/record/loop.webp");
    options.out = "take.v2/loop";  // a dot in a folder name is no extension
    EXPECT_EQ(options.previewPath(), "take.v2/loop.webp");
    options.out = ".loop";
    EXPECT_EQ(options.previewPath(), ".loop.webp");
}

TEST(RecordOptions, BadOptionsAreRefusedInTheirOwnWords) {
    const auto badValue = [](std::string option, std::string value, std::string expected) {
        return "bad value for " + option + ": \"" + value + "\" (expected " + expected + ")";
    };
    const std::string seconds = "seconds above 0, at most 3600";
    const std::string fps = "frames per second from 1 to 240";
    const struct {
        std::vector<const char*> args;
        std::string message;
    } cases[] = {
        {{"--fps", "0"}, badValue("--fps", "0", fps)},
        {{"--fps", "241"}, badValue("--fps", "241", fps)},
        {{"--fps", "thirty"}, badValue("--fps", "thirty", fps)},
        {{"--fps", "24", "--fps", "300"}, badValue("--fps", "300", fps)},
        {{"--seconds", "0"}, badValue("--seconds", "0", seconds)},
        {{"--seconds", "-1"}, badValue("--seconds", "-1", seconds)},
        {{"--seconds", "nan"}, badValue("--seconds", "nan", seconds)},
        {{"--seconds", "1x"}, badValue("--seconds", "1x", seconds)},
        {{"--seconds", "3601"}, badValue("--seconds", "3601", seconds)},
        {{"--start", "-0.5"}, badValue("--start", "-0.5", "seconds from 0 to 3600")},
        {{"--start", "inf"}, badValue("--start", "inf", "seconds from 0 to 3600")},
        {{"--out", ""}, badValue("--out", "", "a file name")},
        {{"--out", "videos/"}, badValue("--out", "videos/", "a file name")},
        {{"--preview", ""}, badValue("--preview", "", "a file name")},
        {{"--stills", ""}, badValue("--stills", "", "a folder")},
        {{"--seconds"}, "missing value for --seconds"},
        {{"--seconds", "--out", "a.mp4"}, "missing value for --seconds"},
        {{"--frames", "10"}, "unknown option: --frames"},
        {{"-x"}, "unknown option: -x"},
    };
    for (const auto& bad : cases) {
        RecordOptions options;
        std::string error;
        EXPECT_FALSE(parse(bad.args, options, error)) << bad.message;
        EXPECT_EQ(error, bad.message);
    }
}

TEST(RecordOptions, ThePreviewCannotOverwriteTheVideo) {
    RecordOptions options;
    std::string error;
    EXPECT_FALSE(parse({"--out", "same.webp"}, options, error));
    EXPECT_FALSE(parse({"--out", "a.mp4", "--preview", "a.mp4"}, options, error));
    EXPECT_NE(error.find("a.mp4"), std::string::npos);
}
