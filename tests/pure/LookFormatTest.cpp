// The look's rule per format, on files written in each format's own text and read by Assimp
// as a brought scene is: materials as the file says, the importer's defaults replaced by a
// neutral grey, and lights in each format's units.
#include "SceneFiles.h"
#include "TestScene.h"
#include "look/FormatRule.h"
#include "look/MaterialReader.h"
#include "look/SceneLights.h"
#include "look/SurfaceMaterialBlock.h"
#include "look/ToneCurve.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <cmath>
#include <functional>

using namespace Quessel;
using namespace Quessel::Test;
using Alpha = SurfaceMaterial::Alpha;
using nlohmann::json;

namespace {

constexpr float Pi = 3.14159265f;

struct Written {
    std::string file;  // read by Assimp
    std::function<void(const std::string& folder)> write;
};

struct MaterialRow {
    const char* label;
    Written scene;
    std::function<void(SurfaceMaterial&)> expect;  // changes the neutral grey into the expected material
};

SurfaceMaterial neutral() { return SurfaceMaterial::neutralGrey(); }

float srgb(float c) { return ToneCurve::decodeSrgb(c); }

const aiScene* import(Assimp::Importer& importer, const ScratchDir& dir, const Written& written) {
    written.write(dir.path.string());
    return importer.ReadFile(dir.file(written.file), aiProcessPreset_TargetRealtime_Quality);
}

Written gltf(const json& material) {
    return {"scene.gltf", [material](const std::string& folder) { writeGltf(folder, "scene", material); }};
}

Written text(const std::string& name, const std::string& content, const std::string& extraName = {},
             const std::string& extra = {}) {
    return {name, [=](const std::string& folder) {
                writeText(folder + "/" + name, content);
                if (!extraName.empty()) writeText(folder + "/" + extraName, extra);
            }};
}

const char* const ObjTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2/2 3/3\n";

void expectMaterial(const SurfaceMaterial& expected, const SurfaceMaterial& actual) {
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(actual.baseColor[i], expected.baseColor[i], 1e-3f) << "base colour " << i;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual.emissive[i], expected.emissive[i], 1e-3f) << "emissive " << i;
    EXPECT_NEAR(actual.metallic, expected.metallic, 1e-3f);
    EXPECT_NEAR(actual.roughness, expected.roughness, 1e-3f);
    EXPECT_NEAR(actual.normalScale, expected.normalScale, 1e-3f);
    EXPECT_NEAR(actual.occlusionStrength, expected.occlusionStrength, 1e-3f);
    EXPECT_EQ(actual.alpha, expected.alpha);
    EXPECT_NEAR(actual.alphaCutoff, expected.alphaCutoff, 1e-3f);
    EXPECT_EQ(actual.doubleSided, expected.doubleSided);
    EXPECT_EQ(actual.vertexColors, expected.vertexColors);
    EXPECT_EQ(actual.vertexColorsSrgb, expected.vertexColorsSrgb);
    EXPECT_EQ(actual.neutral, expected.neutral);
    const std::pair<const MaterialTexture*, const MaterialTexture*> textures[] = {
        {&actual.baseColorTexture, &expected.baseColorTexture},
        {&actual.metallicRoughnessTexture, &expected.metallicRoughnessTexture},
        {&actual.normalTexture, &expected.normalTexture},
        {&actual.occlusionTexture, &expected.occlusionTexture},
        {&actual.emissiveTexture, &expected.emissiveTexture}};
    for (const auto& [got, wanted] : textures) {
        EXPECT_EQ(got->file, wanted->file);
        EXPECT_EQ(got->uvSet, wanted->uvSet) << wanted->file;
    }
}

}  // namespace

TEST(LookFormat, EachFormatsMaterialIsReadByItsRule) {
    const json everyTexture = {
        {"pbrMetallicRoughness",
         {{"baseColorFactor", {0.2, 0.4, 0.6, 0.8}},
          {"metallicFactor", 0.3},
          {"roughnessFactor", 0.7},
          {"baseColorTexture", {{"index", 0}}},
          {"metallicRoughnessTexture", {{"index", 1}}}}},
        {"normalTexture", {{"index", 2}, {"scale", 0.5}}},
        {"occlusionTexture", {{"index", 3}, {"texCoord", 1}, {"strength", 0.6}}},
        {"emissiveTexture", {{"index", 4}}},
        {"emissiveFactor", {1.0, 0.5, 0.0}},
        {"alphaMode", "MASK"},
        {"alphaCutoff", 0.25},
        {"doubleSided", true}};
    const std::string phongMtl = "newmtl paint\nKd 0.5 0.5 0.5\nKs 0.5 0.5 0.5\nNs 100\nd 0.5\nmap_Kd paint.png\n";
    const std::string matteMtl = "newmtl paint\nKd 0.25 0.5 1\nKs 0 0 0\nNs 50\nKe 0.5 0 0\n";
    const MaterialRow rows[] = {
        {"glTF 2: every value and texture as given, colours linear", gltf(everyTexture),
         [](SurfaceMaterial& m) {
             m.neutral = false;
             m.baseColor = {0.2f, 0.4f, 0.6f, 0.8f};
             m.metallic = 0.3f;
             m.roughness = 0.7f;
             m.emissive = {1.0f, 0.5f, 0.0f};
             m.normalScale = 0.5f;
             m.occlusionStrength = 0.6f;
             m.alpha = Alpha::Mask;
             m.alphaCutoff = 0.25f;
             m.baseColorTexture = {"texture0.png", 0};
             m.metallicRoughnessTexture = {"texture1.png", 0};
             m.normalTexture = {"texture2.png", 0};
             m.occlusionTexture = {"texture3.png", 1};
             m.emissiveTexture = {"texture4.png", 0};
         }},
        {"glTF 2: single-sided and blended", gltf({{"name", "glass"}, {"alphaMode", "BLEND"}}),
         [](SurfaceMaterial& m) {
             m.neutral = false;
             m.baseColor = vec4(1.0f);
             m.metallic = 1.0f;
             m.roughness = 1.0f;
             m.alpha = Alpha::Blend;
             m.doubleSided = false;
         }},
        {"glTF 2: a primitive without a material", gltf(json()), [](SurfaceMaterial&) {}},
        {"OBJ: Phong converted, colours from sRGB, opacity blends",
         text("scene.obj", "mtllib scene.mtl\nusemtl paint\n" + std::string(ObjTriangle), "scene.mtl", phongMtl),
         [](SurfaceMaterial& m) {
             m.neutral = false;
             m.baseColor = {srgb(0.5f), srgb(0.5f), srgb(0.5f), 0.5f};
             m.roughness = std::pow(2.0f / 102.0f, 0.25f);
             m.alpha = Alpha::Blend;
             m.baseColorTexture = {"paint.png", 0};
         }},
        {"OBJ: a black specular colour is matte, emission kept",
         text("scene.obj", "mtllib scene.mtl\nusemtl paint\n" + std::string(ObjTriangle), "scene.mtl", matteMtl),
         [](SurfaceMaterial& m) {
             m.neutral = false;
             m.baseColor = {srgb(0.25f), srgb(0.5f), 1.0f, 1.0f};
             m.roughness = 1.0f;
             m.emissive = {srgb(0.5f), 0.0f, 0.0f};
         }},
        {"OBJ without a material library: the importer's default", text("scene.obj", ObjTriangle),
         [](SurfaceMaterial&) {}},
        {"PLY without colours: the importer's default", text("scene.ply", plyQuad(false)),
         [](SurfaceMaterial&) {}},
        {"PLY with colours: those colours on white, linear as web viewers take them", text("scene.ply", plyQuad(true)),
         [](SurfaceMaterial& m) {
             m.baseColor = vec4(1.0f);
             m.vertexColors = true;
         }},
        {"STL: never a material of its own", text("scene.stl", stlQuad()),
         [](SurfaceMaterial&) {}},
        {"COLLADA: Phong converted",
         text("scene.dae",
              colladaTriangle("<diffuse><color>0.8 0.2 0.2 1</color></diffuse>"
                              "<specular><color>0.5 0.5 0.5 1</color></specular>"
                              "<shininess><float>20</float></shininess>")),
         [](SurfaceMaterial& m) {
             m.neutral = false;
             m.baseColor = {srgb(0.8f), srgb(0.2f), srgb(0.2f), 1.0f};
             m.roughness = std::pow(2.0f / 22.0f, 0.25f);
         }},
    };
    for (const MaterialRow& row : rows) {
        SCOPED_TRACE(row.label);
        const ScratchDir dir;
        Assimp::Importer importer;
        const aiScene* scene = import(importer, dir, row.scene);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        ASSERT_GE(scene->mNumMeshes, 1u);
        SurfaceMaterial expected = neutral();
        row.expect(expected);
        expectMaterial(expected, MaterialReader::read(scene, 0));
    }
}

TEST(LookFormat, ShininessBecomesTheRoughnessOfAnEquallyWideLobe) {
    // Blinn-Phong's exponent s and GGX's alpha = roughness^2 give lobes of one width when
    // alpha^2 = 2 / (s + 2): a mirror-like 1000, a plastic 30, a matte 0.
    const std::pair<float, float> rows[] = {{0.0f, 1.0f}, {30.0f, 0.5f}, {998.0f, std::sqrt(std::sqrt(0.002f))}};
    for (const auto& [shininess, roughness] : rows)
        EXPECT_NEAR(MaterialReader::roughnessFromShininess(shininess), roughness, 1e-4f) << shininess;
}

TEST(LookFormat, LightsComeInEachFormatsUnits) {
    struct LightRow {
        const char* label;
        Written scene;
        PunctualLight expected;
    };
    const json gltfLights = {
        {"extensionsUsed", {"KHR_lights_punctual"}},
        {"extensions",
         {{"KHR_lights_punctual",
           {{"lights", {{{"type", "spot"}, {"color", {1.0, 0.5, 0.25}}, {"intensity", 20.0},
                         {"spot", {{"innerConeAngle", 0.2}, {"outerConeAngle", 0.6}}}}}}}}}},
        {"scene", 0},
        {"scenes", {{{"nodes", {0, 1}}}}},
        {"nodes",
         {{{"mesh", 0}},
          {{"name", "lamp"}, {"translation", {1, 2, 3}}, {"extensions", {{"KHR_lights_punctual", {{"light", 0}}}}}}}}};
    PunctualLight spot;
    spot.type = PunctualLight::Type::Spot;
    spot.position = {1, 2, 3};
    spot.direction = {0, 0, -1};
    spot.color = {20.0f, 10.0f, 5.0f};
    spot.falloff = {0, 0, 1};
    spot.innerCos = std::cos(0.2f);
    spot.outerCos = std::cos(0.6f);
    PunctualLight point;
    point.type = PunctualLight::Type::Point;
    point.position = {0, 4, 0};
    point.color = {Pi * 0.5f, Pi * 0.25f, Pi};
    point.falloff = {1.0f, 0.0f, 0.01f};
    const LightRow rows[] = {
        {"glTF 2: physical intensity, inverse square, half angles",
         {"scene.gltf", [&](const std::string& folder) { writeGltf(folder, "scene", json(), gltfLights); }}, spot},
        {"COLLADA: a colour that lights white to it, the file's falloff",
         text("scene.dae",
              colladaTriangle("<diffuse><color>1 1 1 1</color></diffuse>",
                              "<light id=\"bulb\" name=\"bulb\"><technique_common><point><color>0.5 0.25 1</color>"
                              "<constant_attenuation>1</constant_attenuation><linear_attenuation>0</linear_attenuation>"
                              "<quadratic_attenuation>0.01</quadratic_attenuation></point></technique_common></light>",
                              "<node id=\"bulbNode\" name=\"bulb\"><translate>0 4 0</translate>"
                              "<instance_light url=\"#bulb\"/></node>")),
         point},
    };
    for (const LightRow& row : rows) {
        SCOPED_TRACE(row.label);
        const ScratchDir dir;
        Assimp::Importer importer;
        const aiScene* scene = import(importer, dir, row.scene);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        const std::vector<PunctualLight> lights = SceneLights::read(scene, FormatRule::of(scene));
        ASSERT_EQ(lights.size(), 1u);
        const PunctualLight& light = lights.front();
        EXPECT_EQ(light.type, row.expected.type);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(light.position[i], row.expected.position[i], 1e-4f) << "position " << i;
            EXPECT_NEAR(light.color[i], row.expected.color[i], 1e-4f) << "colour " << i;
            EXPECT_NEAR(light.falloff[i], row.expected.falloff[i], 1e-4f) << "falloff " << i;
        }
        if (light.type != PunctualLight::Type::Point) {
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(light.direction[i], row.expected.direction[i], 1e-4f);
        }
        EXPECT_NEAR(light.innerCos, row.expected.innerCos, 1e-4f);
        EXPECT_NEAR(light.outerCos, row.expected.outerCos, 1e-4f);
    }
}

TEST(LookFormat, ATextureIsUsedOnlyWhereItsCoordinatesAre) {
    using Block = SurfaceMaterialBlock;
    SurfaceMaterial material;
    material.baseColorTexture = {"base.png", 0};
    material.occlusionTexture = {"occlusion.png", 1};
    const int32_t loaded = Block::BaseColor | Block::Occlusion;
    const std::pair<int32_t, int32_t> rows[] = {{Block::TexCoords0 | Block::TexCoords1, loaded},
                                                {Block::TexCoords0, Block::BaseColor},
                                                {Block::TexCoords1, Block::Occlusion},
                                                {0, 0}};
    for (const auto& [meshFlags, used] : rows) {
        const Block block = Block::from(material, loaded, meshFlags);
        EXPECT_EQ(block.textures, used) << "mesh flags " << meshFlags;
        EXPECT_EQ(block.secondUv, Block::Occlusion);
    }
}
