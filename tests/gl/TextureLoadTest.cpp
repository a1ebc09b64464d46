// Diffuse textures and normal maps through DevIL: key order, sharing, failures, origin.
#include "ImporterTest.h"

#include <IL/il.h>

#include <cstdint>
#include <cstring>
#include <fstream>

using namespace Quessel;
using namespace Quessel::Test;

namespace {

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

struct TextureLoad : ImporterTest {
    ScratchDir dir;
    std::string output;

    void load(aiScene* made) {
        adopt(made);
        testing::internal::CaptureStdout();
        importer.loadTextures();
        output = testing::internal::GetCapturedStdout();
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
        const Texels image = readTexels(texture);
        ASSERT_EQ(image.width, 1);
        ASSERT_EQ(image.height, 2);
        EXPECT_EQ(image.rgba, (std::vector<Rgba>{blue, red})) << texture;
    }
    EXPECT_EQ(readTexels(nameC).rgba, (std::vector<Rgba>{green, red}));

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
    EXPECT_EQ(readTexels(empty).width, 0);
    // Loading went on with the next name.
    const Texels loaded = readTexels(importer.textures.at(present));
    ASSERT_EQ(loaded.width, 2);
    EXPECT_EQ(loaded.rgba, (std::vector<Rgba>{blue, red, red, green}));
}

TEST_F(TextureLoad, AnEmbeddedImageOfImpossibleSizeAndANamelessOneAreNamed) {
    // A PNG header declaring 100000 x 100000, which DevIL would allocate for unchecked.
    const std::string png =
        std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\x01\x86\xA0\0\x01\x86\xA0\x08\x06\0\0\0", 29);
    aiScene* made = makeScene({}, {makeTexturedMaterial({"*0"}), makeTexturedMaterial({""})}, makeNode("Root"));
    aiTexture* embedded = new aiTexture();
    embedded->mWidth = static_cast<unsigned>(png.size());
    embedded->pcData = new aiTexel[(png.size() + 3) / 4];
    std::memcpy(embedded->pcData, png.data(), png.size());
    made->mNumTextures = 1;
    made->mTextures = new aiTexture* [1] { embedded };
    while (ilGetError() != IL_NO_ERROR) continue;
    load(made);

    EXPECT_NE(output.find("Couldn't load Image: *0 (embedded image)\n"), std::string::npos) << output;
    EXPECT_NE(output.find("Couldn't load Image: \"\" (the material names no file)\n"), std::string::npos) << output;
    // Refused before DevIL saw the bytes.
    EXPECT_EQ(ilGetError(), IL_NO_ERROR);
    EXPECT_EQ(readTexels(importer.textures.at("*0")).width, 0);
}
