// Reading GLSL files: whole text, NUL right after the bytes read, no buffer for unusable files.
#include "scene/ShaderProgram.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

using namespace Quessel;

namespace {
namespace fs = std::filesystem;

struct ShaderFile : testing::Test {
    fs::path dir = fs::temp_directory_path() / ("quessel-shaderfile-" + std::to_string(getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    std::string write(const std::string& name, const std::string& bytes) {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
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
    EXPECT_EQ(read((dir / "missing.frag").string()), nullptr);
    EXPECT_EQ(read(dir.string()), nullptr);
    EXPECT_EQ(readShaderFile(nullptr), nullptr);
}
