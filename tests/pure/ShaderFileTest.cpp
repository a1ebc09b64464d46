// Reading GLSL files: whole text, NUL right after the bytes read, no buffer for unusable files.
#include "TestScene.h"

#include "scene/ShaderProgram.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

using namespace Quessel;

namespace {

struct ShaderFile : testing::Test {
    Quessel::Test::ScratchDir dir;
    std::string write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir.file(name), std::ios::binary) << bytes;
        return dir.file(name);
    }
};

std::unique_ptr<char[]> read(const std::string& path) { return std::unique_ptr<char[]>(readShaderFile(path.c_str())); }
}  // namespace

TEST_F(ShaderFile, WindowsLineEndsAreReadWholeAndEndAtTheLastByte) {
    const std::string text = "#version 430 core\r\nvoid main() {\r\n}\r\n";
    const auto buffer = read(write("crlf.vert", text));
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(std::string(buffer.get()), text);

    // A single byte is the shortest file that yields a buffer.
    const auto one = read(write("one.vert", "x"));
    ASSERT_NE(one, nullptr);
    EXPECT_STREQ(one.get(), "x");
}

TEST_F(ShaderFile, EmptyMissingOrDirectoryGivesNoBuffer) {
    EXPECT_EQ(read(write("empty.frag", "")), nullptr);
    EXPECT_EQ(read(dir.file("missing.frag")), nullptr);
    EXPECT_EQ(read(dir.path.string()), nullptr);
    EXPECT_EQ(readShaderFile(nullptr), nullptr);
}
