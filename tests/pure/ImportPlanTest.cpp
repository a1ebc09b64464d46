// A brought scene's import in proportion to the file: which steps run for which scene, and
// what the steps per mesh keep (every triangle, its corners' data and its winding).
#include "TestScene.h"

#include "scene/ImportPlan.h"
#include "scene/MeshPreparation.h"

#include <assimp/postprocess.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <iterator>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <vector>

using namespace Quessel;
using namespace Quessel::Test;

namespace {

const std::set<std::string> DemoMaps = {"ducknormalmap.png"};

// A square grid of `cells` x `cells` cells on shared vertices, two triangles a cell, its
// heights a slope and a ripple; `separate`: every triangle on vertices of its own.
aiMesh* makeGrid(unsigned cells, bool separate) {
    const unsigned side = cells + 1;
    std::vector<aiVector3D> places(side * side);
    for (unsigned j = 0; j < side; ++j)
        for (unsigned i = 0; i < side; ++i)
            places[j * side + i] = aiVector3D(float(i), 0.3f * float(i) + float((i * j) % 3), float(j));
    std::vector<unsigned> corners;
    for (unsigned j = 0; j < cells; ++j)
        for (unsigned i = 0; i < cells; ++i) {
            const unsigned a = j * side + i;
            corners.insert(corners.end(), {a, a + side, a + 1, a + 1, a + side, a + side + 1});
        }
    aiMesh* mesh = makeTriangles(static_cast<unsigned>(corners.size() / 3));
    if (!separate) {
        delete[] mesh->mVertices;
        mesh->mNumVertices = static_cast<unsigned>(places.size());
        mesh->mVertices = new aiVector3D[places.size()];
        std::copy(places.begin(), places.end(), mesh->mVertices);
    }
    for (size_t c = 0; c < corners.size(); ++c) {
        if (separate) mesh->mVertices[c] = places[corners[c]];
        mesh->mFaces[c / 3].mIndices[c % 3] = separate ? static_cast<unsigned>(c) : corners[c];
    }
    return mesh;
}

aiVector3D* filled(unsigned count, aiVector3D (*value)(unsigned)) {
    aiVector3D* array = new aiVector3D[count];
    for (unsigned v = 0; v < count; ++v) array[v] = value(v);
    return array;
}

// Every triangle as its corners' data (each vertex array the mesh has, in a fixed order),
// turned so that its least corner comes first: the same triangles with the same windings
// and data compare equal however a mesh numbers its vertices or orders its faces.
std::vector<std::vector<float>> trianglesOf(const aiMesh& mesh) {
    std::vector<const aiVector3D*> vectors = {mesh.mVertices, mesh.mNormals, mesh.mTangents, mesh.mBitangents};
    vectors.insert(vectors.end(), mesh.mTextureCoords, mesh.mTextureCoords + AI_MAX_NUMBER_OF_TEXTURECOORDS);
    std::vector<std::vector<float>> triangles;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        std::vector<float> corners[3];
        for (unsigned i = 0; i < 3; ++i) {
            const unsigned v = mesh.mFaces[f].mIndices[i];
            for (const aiVector3D* array : vectors)
                if (array) corners[i].insert(corners[i].end(), {array[v].x, array[v].y, array[v].z});
            for (const aiColor4D* colors : mesh.mColors)
                if (colors) corners[i].insert(corners[i].end(), {colors[v].r, colors[v].g, colors[v].b, colors[v].a});
        }
        const int first = static_cast<int>(std::min_element(corners, corners + 3) - corners);
        std::vector<float> triangle;
        for (int i = 0; i < 3; ++i) {
            const std::vector<float>& corner = corners[(first + i) % 3];
            triangle.insert(triangle.end(), corner.begin(), corner.end());
        }
        triangles.push_back(std::move(triangle));
    }
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

}  // namespace

TEST(ImportPlan, TheDemosSceneKeepsThePresetAndABroughtOneReadsWithOnlyThePassesItNeeds) {
    const unsigned preset = aiProcessPreset_TargetRealtime_Quality;
    const unsigned kept = aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_FindDegenerates |
                          aiProcess_FindInvalidData | aiProcess_GenUVCoords | aiProcess_RemoveRedundantMaterials;
    const struct {
        bool brought, validate;
        unsigned steps;
        bool areas;
    } cases[] = {
        {false, false, preset, true},
        {false, true, preset | aiProcess_ValidateDataStructure, true},
        {true, true, kept | aiProcess_ValidateDataStructure, false},
        {true, false, kept, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "brought " << c.brought << ", validated " << c.validate);
        const ImportPlan plan = ImportPlan::of(c.brought, c.validate);
        EXPECT_EQ(plan.readSteps, c.steps);
        EXPECT_EQ(plan.degenerateAreas, c.areas);
        EXPECT_EQ(plan.brought, c.brought);
    }
}

TEST(ImportPlan, EachMeshGetsNormalsWhereItHasNoneAndTangentsWhereAMaterialHasANormalMap) {
    const aiString normalMap("bumps.png");
    aiMaterial* own = new aiMaterial();
    own->AddProperty(&normalMap, AI_MATKEY_TEXTURE_NORMALS(0));
    enum Material : unsigned { Plain, OwnMap, DemoMap, OtherImage };
    const struct {
        const char* what;
        bool normals, uvs, lines;
        unsigned material;
        ImportPlan::MeshSteps steps;  // normals, tangents, weld
    } cases[] = {
        {"no normals, no map", false, true, false, Plain, {true, false, true}},
        {"normals, no map", true, true, false, OtherImage, {false, false, true}},
        {"normals and its own normal map", true, true, false, OwnMap, {false, true, true}},
        {"no normals, a demo normal map", false, true, false, DemoMap, {true, true, true}},
        {"a normal map but no texture coordinates", true, false, false, OwnMap, {false, false, true}},
        {"lines", false, true, true, OwnMap, {false, false, false}},
    };
    std::vector<aiMesh*> meshes;
    for (const auto& c : cases) {
        aiMesh* mesh = makeTriangles(2, c.material);
        if (c.normals) mesh->mNormals = filled(6, [](unsigned) { return aiVector3D(0, 0, 1); });
        if (c.uvs) mesh->mTextureCoords[0] = filled(6, [](unsigned v) { return aiVector3D(float(v), 0, 0); });
        if (c.lines) mesh->mFaces[1].mNumIndices = 2;
        meshes.push_back(mesh);
    }
    const std::unique_ptr<aiScene> scene(
        makeScene({}, {new aiMaterial(), own, makeTexturedMaterial({"duck.png"}), makeTexturedMaterial({"wall.png"})},
                  makeNode("root")));
    delete[] scene->mMeshes;
    scene->mNumMeshes = static_cast<unsigned>(meshes.size());
    scene->mMeshes = new aiMesh*[meshes.size()];
    std::copy(meshes.begin(), meshes.end(), scene->mMeshes);

    const std::vector<ImportPlan::MeshSteps> steps = ImportPlan::meshSteps(scene.get(), DemoMaps);
    ASSERT_EQ(steps.size(), std::size(cases));
    for (size_t m = 0; m < steps.size(); ++m) {
        SCOPED_TRACE(cases[m].what);
        EXPECT_EQ(steps[m].normals, cases[m].steps.normals);
        EXPECT_EQ(steps[m].tangents, cases[m].steps.tangents);
        EXPECT_EQ(steps[m].weld, cases[m].steps.weld);
    }
    EXPECT_TRUE(ImportPlan::tangentStep(steps));
    EXPECT_FALSE(ImportPlan::tangentStep({steps[0], steps[1], steps[4]})) << "no mesh reads a normal map";
}

TEST(MeshPreparation, SmoothNormalsAverageTheTrianglesThatMeetAtAPlace) {
    // Two squares folded along x = 0 at a right angle: the floor faces +Y, the wall +X.
    const float r = std::sqrt(0.5f);
    const struct {
        const char* what;
        bool separate;    // each triangle on vertices of its own
        bool degenerate;  // a third, flat triangle on the fold
    } cases[] = {{"shared vertices", false, false},
                 {"separate triangles", true, false},
                 {"with a degenerate triangle", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<aiVector3D> places = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {1, 0, 1}, {0, -1, 0}, {0, -1, 1}};
        std::vector<unsigned> corners = {0, 1, 2, 2, 1, 3, 0, 1, 4, 1, 5, 4};
        if (c.degenerate) corners.insert(corners.end(), {0, 1, 0});
        aiMesh* mesh = makeTriangles(static_cast<unsigned>(corners.size() / 3));
        const std::unique_ptr<aiScene> own(makeScene({mesh}, {}, makeNode("root")));
        if (!c.separate) mesh->mNumVertices = static_cast<unsigned>(places.size());
        for (size_t i = 0; i < corners.size(); ++i) {
            mesh->mVertices[c.separate ? i : corners[i]] = places[corners[i]];
            mesh->mFaces[i / 3].mIndices[i % 3] = c.separate ? static_cast<unsigned>(i) : corners[i];
        }
        const MeshPreparation::Places numbered = MeshPreparation::smoothNormals(*mesh);
        EXPECT_EQ(numbered.count, places.size());
        ASSERT_TRUE(mesh->mNormals);
        for (size_t i = 0; i < corners.size(); ++i) {
            const aiVector3D at = places[corners[i]];
            // On the fold both faces meet; the floor's far edge is the floor's, the wall's the wall's.
            const aiVector3D expected = at.x == 0 && at.y == 0 ? aiVector3D(r, r, 0)
                                        : at.y == 0            ? aiVector3D(0, 1, 0)
                                                               : aiVector3D(1, 0, 0);
            const aiVector3D got = mesh->mNormals[c.separate ? i : corners[i]];
            EXPECT_NEAR((got - expected).Length(), 0.0f, 1e-6f) << "corner " << i;
        }
    }
    // A mesh with normals keeps them.
    aiMesh* given = makeTriangles(1);
    const std::unique_ptr<aiScene> kept(makeScene({given}, {}, makeNode("root")));
    given->mNormals = filled(3, [](unsigned) { return aiVector3D(0, 0, -1); });
    EXPECT_EQ(MeshPreparation::smoothNormals(*given).count, 0u);
    EXPECT_EQ(given->mNormals[2], aiVector3D(0, 0, -1));
}

TEST(MeshPreparation, WeldingAndOrderingKeepEveryTriangleAndMergeOnlyIdenticalVertices) {
    enum Data { Positions, MadeNormals, NormalsAndUvs, Colours, Bones };
    const struct {
        const char* what;
        unsigned cells;
        Data data;
        unsigned vertices;  // after welding
    } cases[] = {
        {"separate triangles, positions only", 3, Positions, 16},
        {"separate triangles with the normals made", 3, MadeNormals, 16},
        // Each cell's own texture square: a place keeps one vertex per cell it touches.
        {"texture coordinates that differ at one place", 3, NormalsAndUvs, 36},
        {"colours that differ at one place", 2, Colours, 16},
        {"bones: triangles reordered, vertices kept", 2, Bones, 24},
        {"more triangles than one part of the cache order", 725, MadeNormals, 726 * 726},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        aiMesh* mesh = makeGrid(c.cells, true);
        const std::unique_ptr<aiScene> own(makeScene({mesh}, {}, makeNode("root")));
        const unsigned count = mesh->mNumVertices;
        const unsigned cells = c.cells;
        MeshPreparation::Places places;
        if (c.data == MadeNormals) places = MeshPreparation::smoothNormals(*mesh);
        if (c.data == NormalsAndUvs) {
            mesh->mNormals = filled(count, [](unsigned) { return aiVector3D(0, 1, 0); });
            mesh->mTextureCoords[0] = new aiVector3D[count];
            for (unsigned v = 0; v < count; ++v)
                mesh->mTextureCoords[0][v] = aiVector3D(mesh->mVertices[v].x - float(v / 6 % cells),
                                                        mesh->mVertices[v].z - float(v / 6 / cells), 0);
        }
        if (c.data == Colours) {
            mesh->mColors[0] = new aiColor4D[count];
            for (unsigned v = 0; v < count; ++v) mesh->mColors[0][v] = aiColor4D(float(v / 6), 0, 0, 1);
        }
        if (c.data == Bones) {
            mesh->mNumBones = 1;
            mesh->mBones = new aiBone* [1] { new aiBone() };
        }
        const std::vector<std::vector<float>> before = trianglesOf(*mesh);
        MeshPreparation::weld(*mesh, places);
        EXPECT_EQ(mesh->mNumVertices, c.vertices);
        EXPECT_EQ(mesh->mNumFaces, 2 * cells * cells);
        const std::vector<std::vector<float>> after = trianglesOf(*mesh);
        EXPECT_TRUE(after == before) << "the triangles, their windings or their corners' data changed";
    }
}

TEST(MeshPreparation, ParallelWorkRunsEveryItemOnceAndPassesOnAFailure) {
    std::vector<std::atomic<int>> runs(1000);
    MeshPreparation::inParallel(static_cast<unsigned>(runs.size()), [&](unsigned i) { ++runs[i]; });
    EXPECT_TRUE(std::all_of(runs.begin(), runs.end(), [](const std::atomic<int>& n) { return n == 1; }));
    // An allocation that fails on any thread is the import's to report.
    EXPECT_THROW(MeshPreparation::inParallel(8,
                                             [](unsigned i) {
                                                 if (i == 5) throw std::bad_alloc();
                                             }),
                 std::bad_alloc);
}
