#include "ContentScene.h"

#include "scene/MaterialBlock.h"

#include <assimp/material.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>

using namespace Quessel::Test;

namespace {

const char* const sphereNames[4] = {"Sphere", "Sphere_001", "Sphere_002", "Sphere_003"};
const aiVector3D sphereCentres[4] = {
    {0.169f, 1.502f, 2.406f}, {-3.632f, 1.502f, 4.997f}, {-1.930f, 1.502f, 3.232f}, {-1.6f, 1.502f, 21.2f}};

std::optional<std::string> diffuseTexture(const aiMaterial* material) {
    aiString path;
    if (aiGetMaterialTexture(material, aiTextureType_DIFFUSE, 0, &path) != AI_SUCCESS) return std::nullopt;
    return std::string(path.C_Str());
}

class SceneImport : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(scene(), nullptr) << "cannot import " << scenePath; }
};

}  // namespace

TEST_F(SceneImport, RootTurnsTheZUpFileIntoTheYUpWorld) {
    const aiMatrix4x4& root = scene()->mRootNode->mTransformation;
    aiVector3D up = root * aiVector3D(0, 0, 1);
    aiVector3D north = root * aiVector3D(0, 1, 0);
    EXPECT_NEAR(up.y, 1.0f, 1e-6f);
    EXPECT_NEAR(north.z, -1.0f, 1e-6f);
    EXPECT_NEAR((root * aiVector3D(1, 0, 0)).x, 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(root.Determinant(), 1.0f);
}

TEST_F(SceneImport, NamedNodesAreUniqueDirectChildrenOfTheRoot) {
    for (const char* name :
         {"Sphere", "Sphere_001", "Sphere_002", "Sphere_003", "PointLight", "PointLight1", "SkyDome"}) {
        const aiNode* node = findNode(name);
        ASSERT_NE(node, nullptr) << name;
        EXPECT_EQ(node->mParent, scene()->mRootNode) << name;
    }
    std::map<std::string, int> counts;
    std::set<std::string> lights;
    for (const aiNode* node : allNodes()) {
        counts[nodeName(node)]++;
        if (nodeName(node).find("PointLight") != std::string::npos) lights.insert(nodeName(node));
    }
    for (const char* name : {"Sphere", "Sphere_001", "Sphere_002", "PointLight1", "SkyDome"})
        EXPECT_EQ(counts[name], 1) << name;
    EXPECT_EQ(lights, (std::set<std::string>{"PointLight", "PointLight1"}));
}

TEST_F(SceneImport, SpheresSitWhereTheLayoutPutsThemWithTranslationOnly) {
    for (int i = 0; i < 4; ++i) {
        const aiNode* node = findNode(sphereNames[i]);
        ASSERT_NE(node, nullptr) << sphereNames[i];
        aiVector3D p = globalPosition(node);
        EXPECT_NEAR(p.x, sphereCentres[i].x, 1e-4f) << sphereNames[i];
        EXPECT_NEAR(p.y, sphereCentres[i].y, 1e-4f) << sphereNames[i];
        EXPECT_NEAR(p.z, sphereCentres[i].z, 1e-4f) << sphereNames[i];
        const aiMatrix4x4& m = node->mTransformation;
        aiMatrix3x3 linear(m);
        EXPECT_TRUE(linear.Equal(aiMatrix3x3(), 1e-6f)) << sphereNames[i] << " carries rotation or scale";
    }
}

TEST_F(SceneImport, SphereMeshesAreColourOnlyUnitSpheresAroundTheirOrigin) {
    for (const char* name : sphereNames) {
        const aiNode* node = findNode(name);
        ASSERT_NE(node, nullptr) << name;
        ASSERT_GE(node->mNumMeshes, 1u) << name;
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            const aiMesh* mesh = scene()->mMeshes[node->mMeshes[i]];
            EXPECT_FALSE(diffuseTexture(scene()->mMaterials[mesh->mMaterialIndex])) << name << " is textured";
            aiVector3D lo(1e9f, 1e9f, 1e9f), hi(-1e9f, -1e9f, -1e9f);
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                const aiVector3D& p = mesh->mVertices[v];
                ASSERT_NEAR(p.Length(), 1.0f, 1e-5f) << name << " vertex " << v;
                lo = aiVector3D(std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z));
                hi = aiVector3D(std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z));
            }
            for (int axis = 0; axis < 3; ++axis) {
                EXPECT_NEAR(hi[axis], 1.0f, 0.02f) << name;
                EXPECT_NEAR(lo[axis], -1.0f, 0.02f) << name;
            }
        }
    }
}

TEST_F(SceneImport, SpheresStandClearOfEverythingElse) {
    for (int i = 0; i < 4; ++i) {
        const aiNode* sphere = findNode(sphereNames[i]);
        ASSERT_NE(sphere, nullptr);
        aiVector3D c = globalPosition(sphere);
        EXPECT_GE(c.y - 1.0f, 0.0f) << sphereNames[i] << " sinks into the floor";
        for (const WorldMesh& mesh : worldMeshes()) {
            if (mesh.node == sphere || isSkyDome(mesh)) continue;
            // Distance from the centre to the mesh's bounding box bounds the distance to the mesh.
            aiVector3D nearest(std::fmax(mesh.min.x, std::fmin(c.x, mesh.max.x)),
                               std::fmax(mesh.min.y, std::fmin(c.y, mesh.max.y)),
                               std::fmax(mesh.min.z, std::fmin(c.z, mesh.max.z)));
            EXPECT_GT((nearest - c).Length(), 1.0f) << sphereNames[i] << " touches " << nodeName(mesh.node);
        }
    }
}

TEST_F(SceneImport, TriangleCountStaysWithinTheSoftwareRenderBudget) {
    unsigned triangles = 0;
    for (unsigned i = 0; i < scene()->mNumMeshes; ++i) {
        EXPECT_EQ(scene()->mMeshes[i]->mPrimitiveTypes, unsigned(aiPrimitiveType_TRIANGLE)) << i;
        triangles += scene()->mMeshes[i]->mNumFaces;
    }
    EXPECT_LT(triangles, 20000u);
}

TEST_F(SceneImport, MaterialsNameTheirTexturesByBareFileName) {
    std::set<std::string> names;
    int colourOnly = 0;
    for (unsigned i = 0; i < scene()->mNumMaterials; ++i) {
        auto texture = diffuseTexture(scene()->mMaterials[i]);
        if (texture)
            names.insert(*texture);
        else
            ++colourOnly;
    }
    EXPECT_EQ(names, (std::set<std::string>{"whitetiles.jpg", "wall06x04.jpg", "duck.png", "duck.png.001.png",
                                            "brick03.jpg", "Dragon_Fruit_LR_color.jpg", skyTextureName}));
    EXPECT_GE(colourOnly, 1);
}

TEST_F(SceneImport, EveryMaterialCarriesItsColoursAndShininess) {
    for (unsigned i = 0; i < scene()->mNumMaterials; ++i) {
        const aiMaterial* material = scene()->mMaterials[i];
        aiColor4D c;
        for (const char* key : {"$clr.emissive", "$clr.ambient", "$clr.specular"})
            EXPECT_EQ(aiGetMaterialColor(material, key, 0, 0, &c), AI_SUCCESS) << "material " << i << " " << key;
        float shininess = 0;
        unsigned count = 1;
        EXPECT_EQ(aiGetMaterialFloatArray(material, "$mat.shininess", 0, 0, &shininess, &count), AI_SUCCESS) << i;
        EXPECT_GT(shininess, 0.0f) << i;
        if (!diffuseTexture(material)) {
            ASSERT_EQ(aiGetMaterialColor(material, "$clr.diffuse", 0, 0, &c), AI_SUCCESS) << i;
            EXPECT_GT(c.r + c.g + c.b, 0.0f) << i;
        }
    }
}

TEST_F(SceneImport, SkyDomeIsEmissiveWithoutGlossAndNothingElseTexturedGlows) {
    // The scene shader lights every material by one rule: the dome shows its panorama only
    // because its material is emissive with neither ambient nor specular colour.
    const aiNode* dome = findNode(skyDomeName);
    ASSERT_NE(dome, nullptr);
    ASSERT_GE(dome->mNumMeshes, 1u);
    std::set<unsigned> skyMaterials;
    for (unsigned i = 0; i < dome->mNumMeshes; ++i)
        skyMaterials.insert(scene()->mMeshes[dome->mMeshes[i]]->mMaterialIndex);
    for (unsigned i = 0; i < scene()->mNumMaterials; ++i) {
        const aiMaterial* material = scene()->mMaterials[i];
        const Quessel::MaterialBlock block = Quessel::MaterialBlock::fromMaterial(material, true);
        if (skyMaterials.count(i)) {
            EXPECT_EQ(diffuseTexture(material), std::optional<std::string>(skyTextureName)) << "sky material " << i;
            for (int c = 0; c < 3; ++c) {
                EXPECT_GT(block.emissive[c], 0.8f) << "sky material " << i;
                EXPECT_EQ(block.specular[c], 0.0f) << "sky material " << i;
                EXPECT_EQ(block.ambient[c], 0.0f) << "sky material " << i;
            }
        } else if (diffuseTexture(material)) {
            EXPECT_EQ(block.emissive[0] + block.emissive[1] + block.emissive[2], 0.0f) << "material " << i;
        }
    }
}

TEST_F(SceneImport, TexturedMeshesAreMappedUnmirroredWithTangents) {
    // Normal maps assume (tangent, bitangent, normal) is right-handed; mirrored UVs would
    // turn their relief inside out.
    for (unsigned i = 0; i < scene()->mNumMeshes; ++i) {
        const aiMesh* mesh = scene()->mMeshes[i];
        EXPECT_TRUE(mesh->HasNormals()) << mesh->mName.C_Str();
        auto texture = diffuseTexture(scene()->mMaterials[mesh->mMaterialIndex]);
        if (!texture) continue;
        EXPECT_TRUE(mesh->HasTextureCoords(0)) << mesh->mName.C_Str();
        // The dome is seen from inside and has no normal map: its frame may be mirrored.
        if (*texture == skyTextureName) continue;
        ASSERT_TRUE(mesh->HasTangentsAndBitangents()) << mesh->mName.C_Str();
        unsigned mirrored = 0;
        for (unsigned v = 0; v < mesh->mNumVertices; ++v)
            mirrored += ((mesh->mTangents[v] ^ mesh->mBitangents[v]) * mesh->mNormals[v]) < 0;
        EXPECT_LE(mirrored, mesh->mNumVertices / 50) << mesh->mName.C_Str();
    }
}

TEST(SceneDocument, ElementIdsAreUniqueAcrossTheFile) {
    // COLLADA ids share one namespace: a material and a node with the same id break stricter readers.
    std::ifstream in(scenePath);
    ASSERT_TRUE(in) << scenePath;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::map<std::string, int> ids;
    const std::regex idAttribute(" id=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), idAttribute); it != std::sregex_iterator(); ++it)
        ids[(*it)[1]]++;
    EXPECT_GT(ids.size(), 50u);
    for (const auto& [id, count] : ids) EXPECT_EQ(count, 1) << id;
}
