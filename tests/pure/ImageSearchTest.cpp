// Finding the images a scene names: exact for the demo, and for a scene made elsewhere
// with Windows separators, another letter case or the artist's own folders, but only on
// the named path and never leniently in the working directory.
#include "TestScene.h"

#include "scene/ImageSearch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

using Quessel::ImageSearch;

TEST(ImageSearch, FindsNamesInTheFoldersAndLeavesTheRestAsGiven) {
    const Quessel::Test::ScratchDir dir;
    for (const char* file :
         {"scene/Textures/Wood.JPG", "scene/test.png", "scene/beside.png", "scene/Beside.png",
          "scene/Sub/Deep/leaf.tga", "LWO/Maps/earth.jpg", "elsewhere/hidden.png", "second/only.png"}) {
        std::filesystem::create_directories((dir.path / file).parent_path());
        std::ofstream(dir.file(file)) << "image";
    }
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path);
    // An empty `found`: not in the folders, so the name as given.
    const struct {
        bool lenient;
        const char* name;
        const char* found;
    } cases[] = {
        {false, "Textures/Wood.JPG", "scene/Textures/Wood.JPG"},
        {false, "Textures\\Wood.JPG", ""},
        {false, "only.png", "second/only.png"},
        {true, "Textures\\Wood.JPG", "scene/Textures/Wood.JPG"},
        {true, "TEXTURES/wood.jpg", "scene/Textures/Wood.JPG"},
        {true, ".\\TEST.PNG", "scene/test.png"},
        {true, "..\\lwo\\MAPS\\Earth.jpg", "scene/../LWO/Maps/earth.jpg"},
        {true, "C:\\Users\\artist\\beside.png", "scene/beside.png"},
        {true, "D:\\maps\\Wood.JPG", ""},
        {true, "Sub\\leaf.tga", ""},
        {true, "ELSEWHERE\\Hidden.PNG", ""},
        {true, "art\\ONLY.png", "second/only.png"},
    };
    for (const auto& c : cases) {
        const ImageSearch search{{"scene", "second"}, nullptr, c.lenient};
        EXPECT_EQ(search.path(c.name), *c.found ? c.found : c.name) << c.name << (c.lenient ? " (lenient)" : "");
    }
    std::filesystem::current_path(before);
}
