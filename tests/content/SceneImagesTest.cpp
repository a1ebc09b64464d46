#include "ContentScene.h"
#include "DecodedImage.h"

#include "scene/MaterialBlock.h"

#include <assimp/material.h>
#include <gtest/gtest.h>

#include <set>

using namespace Quessel::Test;
using Quessel::normalMapName;

namespace {

// The tiling surface textures: every material texture but the sky dome's panorama.
std::set<std::string> surfaceTextures() {
    std::set<std::string> names;
    if (!scene()) return names;
    for (unsigned i = 0; i < scene()->mNumMaterials; ++i) {
        aiString path;
        if (aiGetMaterialTexture(scene()->mMaterials[i], aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS &&
            path.C_Str() != skyTextureName)
            names.insert(path.C_Str());
    }
    return names;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b) {
    double ma = 0, mb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        ma += a[i];
        mb += b[i];
    }
    ma /= a.size();
    mb /= b.size();
    double sab = 0, saa = 0, sbb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        sab += (a[i] - ma) * (b[i] - mb);
        saa += (a[i] - ma) * (a[i] - ma);
        sbb += (b[i] - mb) * (b[i] - mb);
    }
    return sab / std::sqrt(saa * sbb);
}

double meanColumnStep(const DecodedImage& image, int x0, int x1) {
    double sum = 0;
    for (int y = 0; y < image.height; ++y)
        for (int c = 0; c < 3; ++c) sum += std::fabs(double(image.at(x0, y)[c]) - image.at(x1, y)[c]);
    return sum / (3.0 * image.height);
}

double meanRowStep(const DecodedImage& image, int y0, int y1) {
    double sum = 0;
    for (int x = 0; x < image.width; ++x)
        for (int c = 0; c < 3; ++c) sum += std::fabs(double(image.at(x, y0)[c]) - image.at(x, y1)[c]);
    return sum / (3.0 * image.width);
}

}  // namespace

TEST(SceneImages, EveryMaterialTextureDecodesWithANormalMapOfItsSize) {
    auto names = surfaceTextures();
    ASSERT_EQ(names.size(), 6u);
    for (const std::string& name : names) {
        DecodedImage texture(runDir + "/" + name);
        ASSERT_TRUE(texture.valid()) << name;
        EXPECT_EQ(texture.width, texture.height) << name;
        EXPECT_TRUE(texture.width == 256 || texture.width == 512) << name;
        DecodedImage normals(runDir + "/" + normalMapName(name));
        ASSERT_TRUE(normals.valid()) << normalMapName(name);
        EXPECT_EQ(normals.width, texture.width) << normalMapName(name);
        EXPECT_EQ(normals.height, texture.height) << normalMapName(name);

        // Encoded unit normals that lean out of the surface, never into it.
        double lengthError = 0;
        int inward = 0;
        for (int y = 0; y < normals.height; ++y)
            for (int x = 0; x < normals.width; ++x) {
                const uint8_t* p = normals.at(x, y);
                aiVector3D n(p[0] / 127.5f - 1, p[1] / 127.5f - 1, p[2] / 127.5f - 1);
                lengthError += std::fabs(n.Length() - 1.0f);
                inward += n.z < 0.2f;
            }
        EXPECT_LT(lengthError / (normals.width * normals.height), 0.05) << normalMapName(name);
        EXPECT_EQ(inward, 0) << normalMapName(name);
    }
}

TEST(SceneImages, NormalMapsFollowTheReliefOfTheirTexture) {
    // Grout is darker than the glazed tiles and mortar lighter than the bricks, both lower
    // than what they join, so the normals lean down the relief: +X towards increasing u,
    // +Y up the picture (increasing v).
    const std::pair<const char*, double> reliefs[] = {{"whitetiles.jpg", 1.0}, {"brick03.jpg", -1.0}};
    for (const auto& [name, brightIsHigh] : reliefs) {
        DecodedImage texture(runDir + "/" + name);
        DecodedImage normals(runDir + "/" + normalMapName(name));
        ASSERT_TRUE(texture.valid() && normals.valid()) << name;
        std::vector<double> downU, downV, nx, ny;
        for (int y = 1; y + 1 < texture.height; ++y)
            for (int x = 1; x + 1 < texture.width; ++x) {
                downU.push_back(texture.luminance(x - 1, y) - texture.luminance(x + 1, y));
                downV.push_back(texture.luminance(x, y + 1) - texture.luminance(x, y - 1));
                nx.push_back(normals.at(x, y)[0]);
                ny.push_back(normals.at(x, y)[1]);
            }
        EXPECT_GT(brightIsHigh * correlation(downU, nx), 0.3) << name;
        EXPECT_GT(brightIsHigh * correlation(downV, ny), 0.3) << name;
    }
}

TEST(SceneImages, TexturesRepeatWithoutVisibleSeams) {
    for (const std::string& texture : surfaceTextures())
        for (const std::string& name : {texture, normalMapName(texture)}) {
            DecodedImage image(runDir + "/" + name);
            ASSERT_TRUE(image.valid()) << name;
            int w = image.width, h = image.height;
            double interior = std::fmax(meanColumnStep(image, w / 2 - 1, w / 2), meanRowStep(image, h / 2 - 1, h / 2));
            EXPECT_LE(meanColumnStep(image, w - 1, 0), 2.0 * interior + 3.0) << name << " left/right";
            EXPECT_LE(meanRowStep(image, h - 1, 0), 2.0 * interior + 3.0) << name << " top/bottom";
        }
}

TEST(SceneImages, SmokeSpriteIsASoftGreyPuffFadingToNothing) {
    DecodedImage smoke(runDir + "/smoke.png");
    ASSERT_TRUE(smoke.valid());
    EXPECT_EQ(smoke.channels, 4);
    EXPECT_EQ(smoke.width, smoke.height);
    EXPECT_TRUE(smoke.width == 64 || smoke.width == 128);
    const int n = smoke.width;
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(smoke.at(i, 0)[3], 0) << "top " << i;
        EXPECT_EQ(smoke.at(i, n - 1)[3], 0) << "bottom " << i;
        EXPECT_EQ(smoke.at(0, i)[3], 0) << "left " << i;
        EXPECT_EQ(smoke.at(n - 1, i)[3], 0) << "right " << i;
    }
    const uint8_t* centre = smoke.at(n / 2, n / 2);
    EXPECT_GT(centre[3], 100);
    for (int c = 0; c < 3; ++c) EXPECT_GT(centre[c], 170) << "channel " << c;

    // Soft: alpha never jumps between neighbours.
    int largestStep = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 1; x < n; ++x)
            largestStep = std::max(largestStep, std::abs(smoke.at(x, y)[3] - smoke.at(x - 1, y)[3]));
    EXPECT_LT(largestStep, 24);
}
