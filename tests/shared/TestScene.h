#pragma once
// Small scenes built in memory for the tests, and a scratch folder for files.
#include <assimp/scene.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace Quessel::Test {

inline aiNode* makeNode(const char* name, std::initializer_list<aiNode*> children = {},
                        std::initializer_list<unsigned> meshes = {}) {
    aiNode* node = new aiNode(name);
    std::vector<aiNode*> list(children);
    if (!list.empty()) node->addChildren(static_cast<unsigned>(list.size()), list.data());
    if (meshes.size() > 0) {
        node->mNumMeshes = static_cast<unsigned>(meshes.size());
        node->mMeshes = new unsigned[meshes.size()];
        unsigned i = 0;
        for (unsigned index : meshes) node->mMeshes[i++] = index;
    }
    return node;
}

inline aiMatrix4x4 translation(float x, float y, float z) {
    aiMatrix4x4 m;
    aiMatrix4x4::Translation(aiVector3D(x, y, z), m);
    return m;
}

// `triangles` separate triangles inside clip space; face f uses vertices 3f+2, 3f+1, 3f so
// that an index buffer copied verbatim differs from a plain count.
inline aiMesh* makeTriangles(unsigned triangles, unsigned materialIndex = 0) {
    aiMesh* mesh = new aiMesh();
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mMaterialIndex = materialIndex;
    mesh->mNumVertices = triangles * 3;
    mesh->mVertices = new aiVector3D[mesh->mNumVertices];
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
        const float corner = static_cast<float>(v % 3);
        mesh->mVertices[v] = aiVector3D(corner == 1 ? 0.5f : -0.5f, corner == 2 ? 0.5f : -0.5f, 0.01f * v);
    }
    mesh->mNumFaces = triangles;
    mesh->mFaces = new aiFace[triangles];
    for (unsigned f = 0; f < triangles; ++f) {
        mesh->mFaces[f].mNumIndices = 3;
        mesh->mFaces[f].mIndices = new unsigned[3]{3 * f + 2, 3 * f + 1, 3 * f};
    }
    return mesh;
}

// Takes ownership of the meshes, materials and root.
inline aiScene* makeScene(std::initializer_list<aiMesh*> meshes, std::initializer_list<aiMaterial*> materials,
                          aiNode* root) {
    aiScene* scene = new aiScene();
    scene->mNumMeshes = static_cast<unsigned>(meshes.size());
    scene->mMeshes = new aiMesh*[meshes.size() + 1];
    unsigned i = 0;
    for (aiMesh* mesh : meshes) scene->mMeshes[i++] = mesh;
    scene->mNumMaterials = static_cast<unsigned>(materials.size());
    scene->mMaterials = new aiMaterial*[materials.size() + 1];
    i = 0;
    for (aiMaterial* material : materials) scene->mMaterials[i++] = material;
    scene->mRootNode = root;
    return scene;
}

inline aiMaterial* makeTexturedMaterial(std::initializer_list<std::string> diffuseTextures) {
    aiMaterial* material = new aiMaterial();
    unsigned index = 0;
    for (const std::string& name : diffuseTextures) {
        const aiString path(name);
        material->AddProperty(&path, AI_MATKEY_TEXTURE_DIFFUSE(index));
        ++index;
    }
    return material;
}

// A folder of its own under the system's temporary folder, removed again at the end.
struct ScratchDir {
    std::filesystem::path path;
    ScratchDir() {
        static std::atomic<int> counter{0};
        path = std::filesystem::temp_directory_path() /
               ("quessel-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string file(const std::string& name) const { return (path / name).string(); }
};

}  // namespace Quessel::Test
