// Scene import and per-mesh buffers, read back from GL rather than trusted.
#include "ImporterTest.h"

#include "scene/MaterialBlock.h"

#include <assimp/Importer.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

using namespace Quessel;
using namespace Quessel::Test;

namespace {

GLint attribute(GLuint vertexArray, GLuint location, GLenum what) {
    glBindVertexArray(vertexArray);
    GLint value = -1;
    glGetVertexAttribiv(location, what, &value);
    glBindVertexArray(0);
    return value;
}

// The enabled attribute locations among the eight a vertex array has at least.
std::set<GLuint> enabled(GLuint vertexArray) {
    std::set<GLuint> locations;
    for (GLuint location = 0; location < 8; ++location)
        if (attribute(vertexArray, location, GL_VERTEX_ATTRIB_ARRAY_ENABLED) == GL_TRUE) locations.insert(location);
    return locations;
}

std::vector<float> attributeData(GLuint vertexArray, GLuint location) {
    return readBuffer<float>(
        static_cast<GLuint>(attribute(vertexArray, location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING)));
}

std::vector<GLuint> elements(GLuint vertexArray) {
    glBindVertexArray(vertexArray);
    GLint buffer = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &buffer);
    glBindVertexArray(0);
    return readBuffer<GLuint>(static_cast<GLuint>(buffer));
}

std::vector<float> flatten(const aiVector3D* vectors, unsigned count) {
    std::vector<float> out;
    for (unsigned i = 0; i < count; ++i) out.insert(out.end(), {vectors[i].x, vectors[i].y, vectors[i].z});
    return out;
}

aiVector3D* vectors(unsigned count, float base) {
    aiVector3D* out = new aiVector3D[count];
    for (unsigned i = 0; i < count; ++i) out[i] = aiVector3D(base + i, base + 10 * i, base - i);
    return out;
}

int32_t hasTextureWord(const std::vector<float>& block) {
    int32_t word = -1;
    if (block.size() == 18) std::memcpy(&word, &block[17], 4);
    return word;
}

struct MeshBuild : ImporterTest {
    void build(aiScene* made) { importer.buildMeshes(adopt(made)); }
};

}  // namespace

TEST_F(MeshBuild, AttributesFollowWhatTheMeshHas) {
    // Tangents without bitangents, and three-component texture coordinates.
    aiMesh* half = makeTriangles(2);
    half->mNormals = vectors(6, 100.0f);
    half->mTangents = vectors(6, 200.0f);
    half->mNumUVComponents[0] = 3;
    half->mTextureCoords[0] = vectors(6, 300.0f);
    // Both tangent sets, no normals, no texture coordinates.
    aiMesh* full = makeTriangles(1);
    full->mTangents = vectors(3, 400.0f);
    full->mBitangents = vectors(3, 500.0f);
    build(makeScene({half, full}, {}, makeNode("Root", {}, {0, 1})));
    ASSERT_EQ(importer.meshes.size(), 2u);

    const GLuint first = importer.meshes[0].vertexArray;
    EXPECT_EQ(enabled(first), (std::set<GLuint>{0, 1, 2}));
    EXPECT_EQ(attributeData(first, 0), flatten(half->mVertices, 6));
    EXPECT_EQ(attributeData(first, 1), flatten(half->mNormals, 6));
    const std::pair<GLenum, GLint> texCoordLayout[] = {{GL_VERTEX_ATTRIB_ARRAY_SIZE, 2},
                                                       {GL_VERTEX_ATTRIB_ARRAY_TYPE, GL_FLOAT},
                                                       {GL_VERTEX_ATTRIB_ARRAY_STRIDE, 0},
                                                       {GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, GL_FALSE}};
    for (const auto& [name, value] : texCoordLayout) EXPECT_EQ(attribute(first, 2, name), value) << name;
    std::vector<float> uv;
    for (unsigned v = 0; v < 6; ++v) {
        const aiVector3D& coordinate = half->mTextureCoords[0][v];
        uv.insert(uv.end(), {coordinate.x, coordinate.y});
    }
    EXPECT_EQ(attributeData(first, 2), uv);

    const GLuint second = importer.meshes[1].vertexArray;
    EXPECT_EQ(enabled(second), (std::set<GLuint>{0, 5, 6}));
    EXPECT_EQ(attribute(second, 5, GL_VERTEX_ATTRIB_ARRAY_SIZE), 3);
    EXPECT_EQ(attributeData(second, 5), flatten(full->mTangents, 3));
    EXPECT_EQ(attributeData(second, 6), flatten(full->mBitangents, 3));

    // Building leaves no vertex array or buffer bound.
    GLint bound = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

TEST_F(MeshBuild, OneRecordPerMeshInSceneOrderWithTheirIndices) {
    aiMesh* lines = new aiMesh();
    lines->mPrimitiveTypes = aiPrimitiveType_LINE;
    lines->mNumVertices = 2;
    lines->mVertices = vectors(2, 0.0f);
    lines->mNumFaces = 1;
    lines->mFaces = new aiFace[1];
    lines->mFaces[0].mNumIndices = 2;
    lines->mFaces[0].mIndices = new unsigned[2]{0, 1};
    // A polygon face contributes its first three indices.
    aiMesh* quad = makeTriangles(2);
    delete[] quad->mFaces[1].mIndices;
    quad->mFaces[1].mNumIndices = 4;
    quad->mFaces[1].mIndices = new unsigned[4]{5, 4, 3, 0};
    // Mesh 2 is used by two nodes; mesh 0 by none.
    build(makeScene({makeTriangles(1), lines, makeTriangles(3), makeTriangles(2), quad}, {},
                    makeNode("Root", {makeNode("A", {}, {2, 3}), makeNode("B", {}, {2, 4})}, {2})));

    ASSERT_EQ(importer.meshes.size(), 5u);
    const unsigned faceCounts[] = {1, 0, 3, 2, 2};
    for (unsigned i = 0; i < 5; ++i) EXPECT_EQ(importer.meshes[i].faceCount, faceCounts[i]) << i;
    for (unsigned i : {0u, 2u, 3u, 4u}) {
        const GLuint vertexArray = importer.meshes[i].vertexArray;
        EXPECT_TRUE(glIsVertexArray(vertexArray)) << i;
        const std::vector<GLuint> indices = elements(vertexArray);
        ASSERT_EQ(indices.size(), faceCounts[i] * 3) << i;
        const aiMesh* mesh = scene->mMeshes[i];
        for (unsigned f = 0; f < mesh->mNumFaces; ++f)
            for (unsigned k = 0; k < 3; ++k) EXPECT_EQ(indices[3 * f + k], mesh->mFaces[f].mIndices[k]);
    }
    EXPECT_NE(importer.meshes[0].vertexArray, importer.meshes[2].vertexArray);
    EXPECT_NE(importer.meshes[2].vertexArray, importer.meshes[3].vertexArray);
}

TEST_F(MeshBuild, MaterialBlockAndTexturesComeFromTheMeshMaterial) {
    aiMaterial* plain = new aiMaterial();
    aiMaterial* duck = makeTexturedMaterial({"duck.png"});
    const aiColor4D diffuse(0.1f, 0.2f, 0.3f, 0.4f), ambient(0.5f, 0.6f, 0.7f, 0.8f);
    const aiColor4D specular(0.9f, 0.25f, 0.75f, 1.0f), emissive(0.05f, 0.15f, 0.35f, 0.45f);
    const float shininess = 24.5f;
    duck->AddProperty(&diffuse, 1, "$clr.diffuse", 0, 0);
    duck->AddProperty(&ambient, 1, "$clr.ambient", 0, 0);
    duck->AddProperty(&specular, 1, "$clr.specular", 0, 0);
    duck->AddProperty(&emissive, 1, "$clr.emissive", 0, 0);
    duck->AddProperty(&shininess, 1, "$mat.shininess", 0, 0);
    aiMaterial* wall = makeTexturedMaterial({"wall.png"});
    aiMaterial* brick = makeTexturedMaterial({"brick03.jpg"});
    importer.textures = {{"duck.png", 11}, {"wall.png", 12}, {"brick03.jpg", 13}};
    importer.normalMaps = {{"ducknormalmap.png", 21}, {"brick03normalmap.jpg", 25}};
    build(makeScene({makeTriangles(1, 0), makeTriangles(1, 1), makeTriangles(1, 2), makeTriangles(1, 3)},
                    {plain, duck, wall, brick}, makeNode("Root")));
    ASSERT_EQ(importer.meshes.size(), 4u);

    const MeshRecord& none = importer.meshes[0];
    EXPECT_EQ(none.texture, 0u);
    EXPECT_EQ(none.normalTexture, 0u);
    const std::vector<float> defaults = readBuffer<float>(none.materialBuffer);
    ASSERT_EQ(defaults.size() * sizeof(float), 72u);
    const std::vector<float> expectedDefaults = {0.8f, 0.8f, 0.8f, 1.0f, 0.2f, 0.2f, 0.2f, 1.0f, 0.0f,
                                                 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f};
    EXPECT_EQ(std::vector<float>(defaults.begin(), defaults.begin() + 17), expectedDefaults);
    EXPECT_EQ(hasTextureWord(defaults), 0);

    const MeshRecord& textured = importer.meshes[1];
    EXPECT_EQ(textured.texture, 11u);
    EXPECT_EQ(textured.normalTexture, 21u);
    const std::vector<float> colours = readBuffer<float>(textured.materialBuffer);
    ASSERT_EQ(colours.size(), 18u);
    const std::vector<float> expectedColours = {0.1f,  0.2f,  0.3f, 0.4f,  0.5f,  0.6f,  0.7f,  0.8f, 0.9f,
                                                0.25f, 0.75f, 1.0f, 0.05f, 0.15f, 0.35f, 0.45f, 24.5f};
    EXPECT_EQ(std::vector<float>(colours.begin(), colours.begin() + 17), expectedColours);
    EXPECT_EQ(hasTextureWord(colours), 1);

    // A normal-map name outside the list finds no normal map, but the mesh is still textured.
    EXPECT_EQ(importer.meshes[2].texture, 12u);
    EXPECT_EQ(importer.meshes[2].normalTexture, 0u);
    EXPECT_EQ(hasTextureWord(readBuffer<float>(importer.meshes[2].materialBuffer)), 1);
    EXPECT_EQ(importer.meshes[3].texture, 13u);
    EXPECT_EQ(importer.meshes[3].normalTexture, 25u);
    EXPECT_NE(importer.meshes[0].materialBuffer, importer.meshes[1].materialBuffer);

    // A brought scene's image that did not load leaves the material's colour, not the
    // black an empty texture samples; the demo's own keeps it textured.
    importer.missingTextures = {"wall.png"};
    for (const bool lenient : {false, true}) {
        importer.imageSearch.lenient = lenient;
        importer.meshes.clear();
        importer.buildMeshes(scene.get());
        EXPECT_EQ(hasTextureWord(readBuffer<float>(importer.meshes[2].materialBuffer)), lenient ? 0 : 1);
        EXPECT_EQ(hasTextureWord(readBuffer<float>(importer.meshes[1].materialBuffer)), 1);
    }
}

TEST_F(MeshBuild, LoadSceneReportsMissingFilesAndImportsSmallOnes) {
    ScratchDir dir;
    const std::string missing = dir.file("absent.dae");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(importer.loadScene(missing));
    const std::string failure = testing::internal::GetCapturedStdout();
    EXPECT_EQ(importer.scene, nullptr);
    // The importer was still asked: its error follows the line of the error text before.
    const std::string error = importer.assimpImporter->GetErrorString();
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(failure, "Can't open file " + missing + "\n\n" + error + "\n");

    const std::string obj = dir.file("triangle.obj");
    std::ofstream(obj) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2/2 3/3\n";
    testing::internal::CaptureStdout();
    EXPECT_TRUE(importer.loadScene(obj));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Import of scene " + obj + " succeeded.");
    ASSERT_NE(importer.scene, nullptr);
    ASSERT_EQ(importer.scene->mNumMeshes, 1u);

    // The imported mesh builds with its generated normals and tangent space.
    importer.buildMeshes(importer.scene);
    ASSERT_EQ(importer.meshes.size(), 1u);
    EXPECT_EQ(importer.meshes[0].faceCount, 1u);
    EXPECT_EQ(enabled(importer.meshes[0].vertexArray), (std::set<GLuint>{0, 1, 2, 5, 6}));
}

namespace {
// Every number of every mesh, and the material count, as one hash.
size_t meshData(const aiScene* scene) {
    std::string bytes;
    const auto add = [&bytes](const void* data, size_t size) { bytes.append(static_cast<const char*>(data), size); };
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        const size_t vectors = sizeof(aiVector3D) * mesh->mNumVertices;
        for (const aiVector3D* array : {mesh->mVertices, mesh->mNormals, mesh->mTangents, mesh->mBitangents,
                                        mesh->mTextureCoords[0]})
            if (array) add(array, vectors);
        for (unsigned f = 0; f < mesh->mNumFaces; ++f)
            add(mesh->mFaces[f].mIndices, sizeof(unsigned) * mesh->mFaces[f].mNumIndices);
        add(&mesh->mMaterialIndex, sizeof(unsigned));
    }
    add(&scene->mNumMaterials, sizeof(unsigned));
    return std::hash<std::string>()(bytes);
}
}  // namespace

TEST_F(MeshBuild, TheToolsValidationRefusesAFaceOutOfRangeAndLeavesTheDemosSceneAsItWas) {
    testing::internal::CaptureStdout();
    ASSERT_TRUE(importer.loadScene("../Model/test3.dae"));
    const size_t plain = meshData(importer.scene);
    importer.validate = true;
    ASSERT_TRUE(importer.loadScene("../Model/test3.dae"));
    EXPECT_EQ(meshData(importer.scene), plain);

    ScratchDir dir;
    const std::string ply = dir.file("index.ply");
    std::ofstream(ply) << "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
                          "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n"
                          "0 0 0\n1 0 0\n0 1 0\n3 0 1 7\n";
    EXPECT_FALSE(importer.loadScene(ply));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(importer.importError, "Validation failed: aiMesh::mFaces[0]::mIndices[2] is out of range");
}

namespace {
// A mesh's triangles with each corner's position, normal and tangents, turned so that the
// least position comes first and sorted: two imports' triangles compare one to one.
struct Corners {
    std::array<aiVector3D, 3> position, normal, tangent, bitangent;
};

std::vector<Corners> cornersOf(const aiMesh* mesh) {
    std::vector<Corners> triangles;
    const auto at = [](const aiVector3D* array, unsigned v) { return array ? array[v] : aiVector3D(); };
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const unsigned* index = mesh->mFaces[f].mIndices;
        const auto less = [&](unsigned a, unsigned b) { return mesh->mVertices[a] < mesh->mVertices[b]; };
        const int first = static_cast<int>(std::min_element(index, index + 3, less) - index);
        Corners corners;
        for (int i = 0; i < 3; ++i) {
            const unsigned v = index[(first + i) % 3];
            corners.position[i] = mesh->mVertices[v];
            corners.normal[i] = at(mesh->mNormals, v);
            corners.tangent[i] = at(mesh->mTangents, v);
            corners.bitangent[i] = at(mesh->mBitangents, v);
        }
        triangles.push_back(corners);
    }
    std::sort(triangles.begin(), triangles.end(),
              [](const Corners& a, const Corners& b) { return a.position < b.position; });
    return triangles;
}

float largestDifference(const std::array<aiVector3D, 3>& a, const std::array<aiVector3D, 3>& b) {
    float most = 0.0f;
    for (int i = 0; i < 3; ++i) most = std::max(most, (a[i] - b[i]).Length());
    return most;
}
}  // namespace

TEST_F(MeshBuild, ABroughtSceneKeepsItsTrianglesNormalsAndTangentsWithFewerSteps) {
    ScratchDir dir;
    // Hills as separate triangles without normals; a second object with texture coordinates
    // and a normal map, and a third with coordinates and no map.
    std::ofstream(dir.file("hills.mtl")) << "newmtl plain\nKd 0.8 0.8 0.8\nnewmtl bumpy\nKd 0.8 0.8 0.8\n"
                                            "norm bumps.png\nnewmtl flat\nKd 0.5 0.5 0.5\n";
    std::ofstream(dir.file("hills.obj"))
        << "mtllib hills.mtl\nv 0 0 0\nv 1 0.5 0\nv 2 0 0\nv 0 0 1\nv 1 1 1\nv 2 0 1\nv 0 0 2\nv 1 0 2\nv 2 0.5 2\n"
           "vt 0 0\nvt 0.5 0.1\nvt 1 0\nvt 0 0.5\nvt 0.6 0.5\nvt 1 0.5\nvt 0 1\nvt 0.5 1\nvt 1 1\n"
           "o Separate\nusemtl plain\nf 1 4 2\nf 2 4 5\nf 2 5 3\nf 3 5 6\nf 4 7 5\nf 5 7 8\nf 5 8 6\nf 6 8 9\n"
           "o Bumpy\nusemtl bumpy\nf 1/1 4/4 2/2\nf 2/2 4/4 5/5\nf 2/2 5/5 3/3\nf 3/3 5/5 6/6\nf 4/4 7/7 5/5\n"
           "f 5/5 7/7 8/8\nf 5/5 8/8 6/6\nf 6/6 8/8 9/9\n"
           "o Flat\nusemtl flat\nf 1/1 4/4 2/2\nf 2/2 4/4 5/5\n";
    // The import's console lines are not the test's.
    const auto load = [&](bool brought) {
        importer.validate = true;
        importer.brought = brought;
        testing::internal::CaptureStdout();
        const bool loaded = importer.loadScene(dir.file("hills.obj"));
        testing::internal::GetCapturedStdout();
        return loaded;
    };
    ASSERT_TRUE(load(false));
    std::vector<std::vector<Corners>> preset;
    for (unsigned m = 0; m < importer.scene->mNumMeshes; ++m) preset.push_back(cornersOf(importer.scene->mMeshes[m]));
    ASSERT_TRUE(load(true));
    ASSERT_EQ(importer.scene->mNumMeshes, preset.size());
    size_t mappedMeshes = 0;
    for (unsigned m = 0; m < preset.size(); ++m) {
        const aiMesh* mesh = importer.scene->mMeshes[m];
        SCOPED_TRACE(mesh->mName.C_Str());
        const std::vector<Corners> brought = cornersOf(mesh);
        ASSERT_EQ(brought.size(), preset[m].size());
        const bool mapped =
            importer.scene->mMaterials[mesh->mMaterialIndex]->GetTextureCount(aiTextureType_NORMALS) > 0;
        mappedMeshes += mapped;
        EXPECT_EQ(mesh->HasTangentsAndBitangents(), mapped) << "tangents only where a normal map reads them";
        EXPECT_LT(mesh->mNumVertices, 3 * mesh->mNumFaces) << "welded";
        float normals = 0.0f, tangents = 0.0f;
        for (size_t t = 0; t < brought.size(); ++t) {
            EXPECT_EQ(brought[t].position, preset[m][t].position) << "triangle " << t;
            normals = std::max(normals, largestDifference(brought[t].normal, preset[m][t].normal));
            if (mapped) {
                tangents = std::max(tangents, largestDifference(brought[t].tangent, preset[m][t].tangent));
                tangents = std::max(tangents, largestDifference(brought[t].bitangent, preset[m][t].bitangent));
            }
        }
        EXPECT_LT(normals, 1e-6f);
        EXPECT_LT(tangents, 1e-6f);
    }
    EXPECT_EQ(mappedMeshes, 1u);
}
