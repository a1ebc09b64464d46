#include "TestScene.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

const std::string generator = QUESSEL_BINARY_DIR "/tools/quessel-scenegen";

std::map<std::string, std::string> readTree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            files[fs::relative(entry.path(), root).generic_string()] =
                std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    return files;
}

class Generator : public ::testing::Test {
protected:
    // Runs the generator with <dir>/bin as run directory and <dir>/Model as model directory.
    int run(const fs::path& dir) {
        std::string command = "\"" + generator + "\" \"" + (dir / "bin").string() + "\" \"" + (dir / "Model").string() +
                              "\" > /dev/null 2>&1";
        return std::system(command.c_str());
    }

    Quessel::Test::ScratchDir scratch;
};

}  // namespace

TEST_F(Generator, WritesTheSameFilesByteForByteOnEveryRun) {
    ASSERT_EQ(run(scratch.path / "a"), 0);
    ASSERT_EQ(run(scratch.path / "b"), 0);
    const auto first = readTree(scratch.path / "a"), second = readTree(scratch.path / "b");
    auto written = [&](const std::string& name) { return first.count(name) && !first.at(name).empty(); };
    for (const char* name :
         {"whitetiles.jpg", "whitetilesnormalmap.jpg", "wall06x04.jpg", "wall06x04normalmap.jpg", "duck.png",
          "ducknormalmap.png", "duck.png.001.png", "duck.png.001normalmap.png", "brick03.jpg", "brick03normalmap.jpg",
          "Dragon_Fruit_LR_color.jpg", "Dragon_Fruit_LR_colornormalmap.jpg", "smoke.png"})
        EXPECT_TRUE(written(std::string("bin/") + name)) << name;
    EXPECT_TRUE(written("Model/test3.dae"));
    for (const char* face : {"posx", "negx", "posy", "negy", "posz", "negz"})
        EXPECT_TRUE(written(std::string("Model/TextureBox_Sphere_003/") + face + ".tga")) << face;

    EXPECT_EQ(first.size(), second.size());
    for (const auto& [name, bytes] : first)
        EXPECT_TRUE(second.count(name) && second.at(name) == bytes) << name << " differs between runs";
}

TEST_F(Generator, EndsWithOneWhenAFolderIsTakenByAFile) {
    for (const char* taken : {"bin", "Model"}) {
        const fs::path dir = scratch.path / taken;
        fs::create_directories(dir);
        std::ofstream(dir / taken) << "not a folder";
        const int status = run(dir);
        ASSERT_TRUE(WIFEXITED(status)) << taken;
        EXPECT_EQ(WEXITSTATUS(status), 1) << taken;
    }
}
