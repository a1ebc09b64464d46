// quessel-study's command line: the values it takes, its help with the keys, and what it
// refuses.
#include "study/StudyOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Quessel::Study::StudyOptions;
using Outcome = StudyOptions::Outcome;

namespace {
Outcome parse(std::vector<const char*> arguments, StudyOptions& options, std::string& text) {
    arguments.insert(arguments.begin(), "quessel-study");
    return StudyOptions::parse(static_cast<int>(arguments.size()), arguments.data(), options, text);
}
}  // namespace

TEST(StudyOptions, TakesSceneStartAndOverlayCostAndListsTheKeysInItsHelp) {
    StudyOptions options;
    std::string text;
    ASSERT_EQ(parse({}, options, text), Outcome::Run);
    EXPECT_EQ(options.scene, "");
    EXPECT_EQ(options.start, 0.0);
    EXPECT_EQ(options.overlayCost, 0);

    // Any file that exists will do as a scene here; whether it imports is set-up's business.
    ASSERT_EQ(parse({"--scene", "/proc/self/exe", "--start", "12.5", "--overlay-cost", "40"}, options, text),
              Outcome::Run)
        << text;
    EXPECT_EQ(options.scene, "/proc/self/exe");
    EXPECT_EQ(options.start, 12.5);
    EXPECT_EQ(options.overlayCost, 40);

    ASSERT_EQ(parse({"--help"}, options, text), Outcome::Help);
    for (const char* named :
         {"--scene", "--start", "--overlay-cost", "Space", "Tab", "F1", "F2", "F5", "F12", "Escape"})
        EXPECT_NE(text.find(named), std::string::npos) << named;
}

TEST(StudyOptions, RefusesWhatItCannotUseNamingIt) {
    const struct {
        std::vector<const char*> arguments;
        const char* named;
    } cases[] = {
        {{"--nope"}, "--nope"},         {{"extra"}, "extra"},
        {{"--start"}, "--start"},       {{"--start", "-1"}, "-1"},
        {{"--start", "soon"}, "soon"},  {{"--scene", "/no/such/scene.dae"}, "/no/such/scene.dae"},
        {{"--overlay-cost", "0"}, "0"},
    };
    for (const auto& c : cases) {
        StudyOptions options;
        std::string text;
        EXPECT_EQ(parse(c.arguments, options, text), Outcome::Bad) << c.named;
        EXPECT_NE(text.find(c.named), std::string::npos) << text;
    }
}
