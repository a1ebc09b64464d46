// The recorder's command line: defaults, the preview's default name, and every bad value
// refused with a message that names the option.
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
}

TEST(RecordOptions, EveryOptionTakesItsValue) {
    RecordOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--seconds", "2.5", "--start", "10", "--fps", "24", "--out", "a/b.mp4", "--preview", "c.webp"},
                      options, error))
        << error;
    EXPECT_EQ(options.seconds, 2.5);
    EXPECT_EQ(options.start, 10.0);
    EXPECT_EQ(options.fps, 24.0);
    EXPECT_EQ(options.out, "a/b.mp4");
    EXPECT_EQ(options.previewPath(), "c.webp");
    EXPECT_FALSE(options.help);
    EXPECT_TRUE(parse({"--help"}, options, error));
    EXPECT_TRUE(options.help);
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

TEST(RecordOptions, BadOptionsAreRefusedNamingTheOption) {
    const std::vector<std::vector<const char*>> bad = {
        {"--fps", "0"},      {"--fps", "241"},     {"--fps", "thirty"}, {"--seconds", "0"},
        {"--seconds", "-1"}, {"--seconds", "nan"}, {"--seconds", "1x"}, {"--seconds", "3601"},
        {"--start", "-0.5"}, {"--start", "inf"},   {"--out", ""},       {"--out", "videos/"},
        {"--preview", ""},   {"--seconds"},        {"--frames", "10"},  {"-x"},
    };
    for (const auto& args : bad) {
        RecordOptions options;
        std::string error;
        EXPECT_FALSE(parse(args, options, error)) << args[0];
        EXPECT_NE(error.find(args[0]), std::string::npos) << "\"" << error << "\" does not name " << args[0];
    }
}

TEST(RecordOptions, ThePreviewCannotOverwriteTheVideo) {
    RecordOptions options;
    std::string error;
    EXPECT_FALSE(parse({"--out", "same.webp"}, options, error));
    EXPECT_FALSE(parse({"--out", "a.mp4", "--preview", "a.mp4"}, options, error));
    EXPECT_NE(error.find("a.mp4"), std::string::npos);
}
