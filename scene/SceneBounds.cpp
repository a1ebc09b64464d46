#include "scene/SceneBounds.h"

#include <assimp/scene.h>

namespace Quessel {
namespace SceneBounds {

namespace {
void addMeshes(const aiScene* scene, const aiNode* node, const aiMatrix4x4& transform, Bounds& bounds) {
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        if (node->mMeshes[i] >= scene->mNumMeshes) continue;
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[i]];
        if (!drawsTriangles(mesh)) continue;
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D p = transform * mesh->mVertices[v];
            bounds.add(vec3(p.x, p.y, p.z));
        }
    }
}

void walk(const aiScene* scene, const aiNode* node, const aiMatrix4x4& parent, Bounds& bounds) {
    // Some importers leave empty slots among a node's children.
    if (!node) return;
    // Parent first, as drawing multiplies them.
    const aiMatrix4x4 transform = parent * node->mTransformation;
    addMeshes(scene, node, transform, bounds);
    for (unsigned i = 0; i < node->mNumChildren; ++i) walk(scene, node->mChildren[i], transform, bounds);
}
}  // namespace

bool drawsTriangles(const aiMesh* mesh) {
    if (!mesh || mesh->mNumFaces == 0 || !mesh->mVertices) return false;
    for (unsigned f = 0; f < mesh->mNumFaces; ++f)
        if (mesh->mFaces[f].mNumIndices < 3) return false;
    return true;
}

Bounds drawn(const aiScene* scene) {
    Bounds bounds;
    if (scene && scene->mRootNode) walk(scene, scene->mRootNode, aiMatrix4x4(), bounds);
    return bounds;
}

Bounds ofNode(const aiScene* scene, const aiNode* node) {
    Bounds bounds;
    if (scene && node) addMeshes(scene, node, aiMatrix4x4(), bounds);
    return bounds;
}

}  // namespace SceneBounds
}  // namespace Quessel
