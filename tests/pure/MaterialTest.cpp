// Material colours with their defaults and the normal-map naming rule.
#include "scene/MaterialBlock.h"

#include <assimp/material.h>
#include <gtest/gtest.h>

using namespace Quessel;

namespace {
void expectColor(const float* actual, float r, float g, float b, float a) {
    EXPECT_FLOAT_EQ(actual[0], r);
    EXPECT_FLOAT_EQ(actual[1], g);
    EXPECT_FLOAT_EQ(actual[2], b);
    EXPECT_FLOAT_EQ(actual[3], a);
}
}  // namespace

TEST(Material, NormalMapNameInsertsBeforeTheLastFourCharacters) {
    EXPECT_EQ(normalMapName("duck.png"), "ducknormalmap.png");
    EXPECT_EQ(normalMapName("brick03.jpg"), "brick03normalmap.jpg");
    EXPECT_EQ(normalMapName("duck.png.001.png"), "duck.png.001normalmap.png");
    EXPECT_EQ(normalMapName("abcd"), "normalmapabcd");
    EXPECT_EQ(normalMapName("ab"), "abnormalmap");
    EXPECT_EQ(normalMapName(""), "normalmap");
}

TEST(Material, PresentKeysAreReadAndMissingOnesKeepTheDefaults) {
    // The keys present are read (an RGB colour with alpha 1); the others keep their defaults.
    aiMaterial partial;
    const aiColor4D specular(0.1f, 0.2f, 0.3f, 0.4f);
    const aiColor3D emissive(0.5f, 0.6f, 0.7f);
    const float shininess = 32.0f;
    partial.AddProperty(&specular, 1, "$clr.specular", 0, 0);
    partial.AddProperty(&emissive, 1, "$clr.emissive", 0, 0);
    partial.AddProperty(&shininess, 1, "$mat.shininess", 0, 0);
    const MaterialBlock mixed = MaterialBlock::fromMaterial(&partial, true);
    expectColor(mixed.diffuse, 0.8f, 0.8f, 0.8f, 1.0f);
    expectColor(mixed.ambient, 0.2f, 0.2f, 0.2f, 1.0f);
    expectColor(mixed.specular, 0.1f, 0.2f, 0.3f, 0.4f);
    expectColor(mixed.emissive, 0.5f, 0.6f, 0.7f, 1.0f);
    EXPECT_EQ(mixed.shininess, 32.0f);
    EXPECT_EQ(mixed.hasTexture, 1);
}
