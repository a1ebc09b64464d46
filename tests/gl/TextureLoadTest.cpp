// Diffuse textures and normal maps through DevIL: key order, sharing, failures, origin.
#include "GlTestContext.h"
#include "TestScene.h"

#include "scene/Importer.h"
#include "scene/ShaderRegistry.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <memory>

using namespace Quessel;
using namespace Quessel::Test;

namespace {

using Rgba = std::array<uint8_t, 4>;
const Rgba red{255, 0, 0, 255}, blue{0, 0, 255, 255}, green{0, 255, 0, 255};

// Uncompressed 32-bit TGA; `rows` run from the image's visual top to its bottom, stored
// in the file either top row first or bottom row first (the descriptor's origin bit).
void writeTga(const std::string& path, int width, const std::vector<std::vector<Rgba>>& rows, bool topFirst) {
    const int height = static_cast<int>(rows.size());
    uint8_t header[18] = {};
    header[2] = 2;
    header[12] = static_cast<uint8_t>(width);
    header[14] = static_cast<uint8_t>(height);
    header[16] = 32;
    header[17] = static_cast<uint8_t>(8 | (topFirst ? 0x20 : 0));
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(header), sizeof(header));
    for (int r = 0; r < height; ++r) {
        for (const Rgba& p : rows[topFirst ? r : height - 1 - r]) {
            const uint8_t bgra[4] = {p[2], p[1], p[0], p[3]};
            file.write(reinterpret_cast<const char*>(bgra), 4);
        }
    }
}

struct TextureImage {
    GLint width = 0, height = 0;
    std::vector<Rgba> pixels;  // row 0 first, as GL stores it
};

TextureImage readTexture(GLuint texture) {
    TextureImage image;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &image.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &image.height);
    image.pixels.resize(static_cast<size_t>(image.width * image.height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!image.pixels.empty()) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return image;
}

struct TextureLoad : GlTest {
    Importer importer;
    ScratchDir dir;
    std::unique_ptr<aiScene> scene;
    std::string output;

    void SetUp() override {
        GlTest::SetUp();
        importer.registry->use("test");
    }
    void TearDown() override {
        importer.scene = nullptr;  // the scene is ours, not the importer's
        GlTest::TearDown();
    }
    void load(aiScene* made) {
        scene.reset(made);
        importer.scene = scene.get();
        testing::internal::CaptureStdout();
        importer.loadTextures();
        output = testing::internal::GetCapturedStdout();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

}  // namespace

TEST_F(TextureLoad, NamesAreSharedAndNumberedInKeyOrder) {
    const std::string a = dir.file("a.tga"), upper = dir.file("B.tga"), c = dir.file("c.tga");
    writeTga(a, 1, {{red}, {blue}}, true);
    writeTga(upper, 1, {{red}, {blue}}, false);
    writeTga(c, 2, {{green, red}}, true);
    // "a" is named before "B", but 'B' sorts first byte-wise.
    load(makeScene({makeTriangles(1, 0), makeTriangles(1, 1), makeTriangles(1, 2)},
                   {makeTexturedMaterial({a}), makeTexturedMaterial({upper, c}), makeTexturedMaterial({a})},
                   makeNode("Root")));

    ASSERT_EQ(importer.textures.size(), 3u);
    const GLuint nameA = importer.textures.at(a), nameB = importer.textures.at(upper);
    const GLuint nameC = importer.textures.at(c);
    EXPECT_LT(nameB, nameA);
    EXPECT_LT(nameA, nameC);
    EXPECT_EQ(output.find("Couldn't load Image: " + a), std::string::npos) << output;

    // Both files show red at the top; GL row 0 is the bottom row, whatever the file's origin.
    for (GLuint texture : {nameA, nameB}) {
        const TextureImage image = readTexture(texture);
        ASSERT_EQ(image.width, 1);
        ASSERT_EQ(image.height, 2);
        EXPECT_EQ(image.pixels[0], blue) << texture;
        EXPECT_EQ(image.pixels[1], red) << texture;
    }
    const TextureImage wide = readTexture(nameC);
    ASSERT_EQ(wide.width, 2);
    EXPECT_EQ(wide.pixels[0], green);
    EXPECT_EQ(wide.pixels[1], red);
    glBindTexture(GL_TEXTURE_2D, nameA);
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);

    // The six normal maps each get a texture name of their own.
    EXPECT_EQ(importer.normalMaps.size(), 6u);
    for (const auto& entry : importer.normalMaps) {
        EXPECT_NE(entry.second, 0u) << entry.first;
        EXPECT_NE(entry.second, nameA);
    }
    EXPECT_EQ(importer.normalMaps.count("duck.png.001normalmap.png"), 1u);

    // Two materials naming one image share its texture; a second diffuse texture is unused.
    importer.buildMeshes(scene.get());
    ASSERT_EQ(importer.meshes.size(), 3u);
    EXPECT_EQ(importer.meshes[0].texture, nameA);
    EXPECT_EQ(importer.meshes[2].texture, nameA);
    EXPECT_EQ(importer.meshes[1].texture, nameB);
}

TEST_F(TextureLoad, AMissingImageIsNamedAndLeftEmpty) {
    const std::string missing = dir.file("missing.png"), present = dir.file("present.tga");
    writeTga(present, 2, {{red, green}, {blue, red}}, false);
    load(makeScene({}, {makeTexturedMaterial({missing}), makeTexturedMaterial({present})}, makeNode("Root")));

    EXPECT_NE(output.find("Couldn't load Image: " + missing + "\n"), std::string::npos) << output;
    EXPECT_EQ(output.find(present), std::string::npos) << output;
    ASSERT_EQ(importer.textures.size(), 2u);
    const GLuint empty = importer.textures.at(missing);
    EXPECT_NE(empty, 0u);
    EXPECT_EQ(readTexture(empty).width, 0);
    // Loading went on with the next name.
    const TextureImage loaded = readTexture(importer.textures.at(present));
    ASSERT_EQ(loaded.width, 2);
    ASSERT_EQ(loaded.height, 2);
    EXPECT_EQ(loaded.pixels[0], blue);
    EXPECT_EQ(loaded.pixels[2], red);
    EXPECT_EQ(loaded.pixels[3], green);
}
