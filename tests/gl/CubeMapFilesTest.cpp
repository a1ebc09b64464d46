// Cube-map folders: face files written with SOIL and read back into cube maps.
#include "GlTestContext.h"
#include "GlTestHelpers.h"
#include "TestScene.h"

#include "envmap/TextureBoxSaver.h"
#include "scene/ReflectionObject.h"

#include <SOIL/SOIL.h>

#include <filesystem>
#include <vector>

using namespace Quessel;
using namespace Quessel::Test;
namespace fs = std::filesystem;

namespace {

constexpr int Size = 8;

// Distinct per face, row and column (and in alpha), so a flip or a face mix-up shows.
std::vector<Rgba> pattern(int face, int seed) {
    std::vector<Rgba> pixels;
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x)
            pixels.push_back({static_cast<unsigned char>(face * 40 + x + seed), static_cast<unsigned char>(y * 25),
                              static_cast<unsigned char>(200 - x - y),
                              static_cast<unsigned char>(100 + face * 20 + y)});
    return pixels;
}

class CubeMapFilesTest : public GlTest {
protected:
    // Six face textures as a renderer leaves them, on units 20..25.
    void fillFaces(ReflectionObject& object, int seed) {
        object.faces.clear();
        for (int face = 0; face < 6; ++face)
            object.faces.push_back(RenderTexture{
                20 + face, static_cast<int32_t>(makeTexture(Size, Size, pattern(face, seed))), 0, Size, Size});
    }
    ScratchDir temp;
};

}  // namespace

TEST(CubeMapPaths, FolderAndFaceFileNames) {
    EXPECT_EQ(makeTextureBoxPath("Sphere"), "../Model/TextureBox_Sphere");
    EXPECT_EQ(faceFilePath(makeTextureBoxPath("Sphere"), 3, "tga"), "../Model/TextureBox_Sphere/negy.tga");
    EXPECT_EQ(faceFilePath("d", 0, "png"), "d/posx.png");
    EXPECT_EQ(faceFilePath("d", 5, "tga"), "d/negz.tga");
}

TEST_F(CubeMapFilesTest, SavedFacesLoadBackRowForRowAndASecondSaveOverwrites) {
    ReflectionObject object(nullptr);
    const std::string folder = temp.file("TextureBox_Sphere");
    for (int seed : {0, 7}) {
        SCOPED_TRACE(seed);
        fillFaces(object, seed);
        EXPECT_TRUE(TextureBoxSaver().save(&object, folder));
        const GLuint cube = loadCubeMap(folder, "tga");
        ASSERT_NE(cube, 0u);
        for (int face = 0; face < 6; ++face)  // a row flip would show as rows in reverse order
            EXPECT_EQ(readTexels(cube, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face).rgba, pattern(face, seed)) << face;
    }
}

TEST_F(CubeMapFilesTest, ObjectWithoutFacesGetsAnEmptyFolderAndFalse) {
    ReflectionObject object(nullptr);
    const fs::path folder = temp.path / "TextureBox_Sphere_001";
    EXPECT_FALSE(TextureBoxSaver().save(&object, folder.string()));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(CubeMapFilesTest, FolderWithOnlyPosxLoadsThatFaceAsRgbaAndStillSetsParameters) {
    const fs::path folder = temp.path / "TextureBox_Sphere_003";
    fs::create_directory(folder);
    std::vector<unsigned char> rgb;
    for (int i = 0; i < Size * Size; ++i) rgb.insert(rgb.end(), {static_cast<unsigned char>(i), 30, 60});
    ASSERT_NE(SOIL_save_image((folder / "posx.tga").c_str(), SOIL_SAVE_TYPE_TGA, Size, Size, 3, rgb.data()), 0);

    glDisable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    const GLuint cube = loadCubeMap(folder.string(), "tga");
    const Texels loaded = readTexels(cube, GL_TEXTURE_CUBE_MAP_POSITIVE_X);
    ASSERT_EQ(loaded.width, Size);
    for (int face = 1; face < 6; ++face)
        EXPECT_EQ(readTexels(cube, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face).width, 0) << face;
    for (int i = 0; i < Size * Size; ++i) EXPECT_EQ(loaded.rgba[i], (Rgba{static_cast<unsigned char>(i), 30, 60, 255}));
    expectTextureParameters(GL_TEXTURE_CUBE_MAP, cube,
                            {{GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                             {GL_TEXTURE_MIN_FILTER, GL_LINEAR},
                             {GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE},
                             {GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE},
                             {GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE}});
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_CUBE_MAP_SEAMLESS));
}

TEST_F(CubeMapFilesTest, ReadTextureOfRgb8GivesThreeTightChannels) {
    // Three pixels a row: any padding or four-byte read-back shifts the bytes.
    const unsigned char rgb[18] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 3, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 8);  // the caller's setting, to be kept

    const TexturePixels read = readTexture(5, texture);
    ASSERT_TRUE(read.pixels);
    EXPECT_EQ(read.channels, 3);
    EXPECT_EQ(read.width, 3);
    EXPECT_EQ(read.height, 2);
    EXPECT_EQ(std::vector<unsigned char>(read.pixels.get(), read.pixels.get() + 18),
              std::vector<unsigned char>(rgb, rgb + 18));
    GLint alignment = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 8);
}

TEST_F(CubeMapFilesTest, NodeNameWithPathSeparatorIsRefused) {
    // Run from temp/run so "../Model/TextureBox_../../x" would land in temp/Model/x.
    fs::create_directories(temp.path / "run");
    fs::create_directories(temp.path / "Model" / "TextureBox_..");
    ReflectionObject object(nullptr);
    fillFaces(object, 0);
    const fs::path previous = fs::current_path();
    fs::current_path(temp.path / "run");
    const bool saved = TextureBoxSaver().save(&object, makeTextureBoxPath("../../x"));
    fs::current_path(previous);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(fs::exists(temp.path / "Model" / "x"));
}
