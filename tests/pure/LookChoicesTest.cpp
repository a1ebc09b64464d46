// The look's shader files with their includes expanded, and the background a person asks for.
#include "SceneFiles.h"
#include "TestScene.h"
#include "look/BackgroundChoice.h"
#include "look/ShaderSource.h"

#include <gtest/gtest.h>

using namespace Quessel;
using namespace Quessel::Test;

TEST(LookShaderSource, IncludesAreExpandedInPlaceWithLinesKept) {
    const ScratchDir dir;
    writeText(dir.file("main.frag"), "#version 430 core\n#include \"a.glsl\"\nvoid main() {}\n");
    writeText(dir.file("a.glsl"), "// a\n  #include \"b.glsl\"\nfloat a;\n");
    writeText(dir.file("b.glsl"), "float b;\n");
    std::string error;
    const std::optional<std::string> text = ShaderSource::expand(dir.file("main.frag"), error);
    ASSERT_TRUE(text) << error;
    EXPECT_EQ(*text,
              "#version 430 core\n#line 1 1\n// a\n#line 1 2\nfloat b;\n#line 3 1\nfloat a;\n#line 3 0\n"
              "void main() {}\n");
}

TEST(LookShaderSource, AMissingOrCircularIncludeIsNamedWithItsIncluder) {
    const ScratchDir dir;
    writeText(dir.file("missing.frag"), "#version 430 core\n\n#include \"gone.glsl\"\n");
    writeText(dir.file("loop.frag"), "#include \"loop.frag\"\n");
    const std::pair<std::string, std::string> rows[] = {
        {"missing.frag", "cannot open shader file " + dir.file("gone.glsl") + " (included from " +
                             dir.file("missing.frag") + " line 3)"},
        {"loop.frag", "shader file " + dir.file("loop.frag") + " includes itself"},
    };
    for (const auto& [file, message] : rows) {
        std::string error;
        EXPECT_FALSE(ShaderSource::expand(dir.file(file), error));
        EXPECT_EQ(error.substr(0, message.size()), message);
    }
}

TEST(LookBackground, SkyGreyOrAHexColour) {
    std::string error;
    EXPECT_EQ(BackgroundChoice::parse("sky", error)->kind, BackgroundChoice::Kind::Sky);
    const std::optional<BackgroundChoice> grey = BackgroundChoice::parse("grey", error);
    EXPECT_EQ(grey->kind, BackgroundChoice::Kind::Color);
    EXPECT_EQ(grey->color, vec3(0.5f));
    const std::optional<BackgroundChoice> orange = BackgroundChoice::parse("#FF8000", error);
    EXPECT_EQ(orange->color, vec3(1.0f, 128.0f / 255.0f, 0.0f));
    for (const char* bad : {"#FF80", "#GG8000", "blue", ""}) {
        EXPECT_FALSE(BackgroundChoice::parse(bad, error)) << bad;
        EXPECT_NE(error.find("sky, grey or #RRGGBB"), std::string::npos);
    }
}
