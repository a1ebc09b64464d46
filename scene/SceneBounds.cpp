#include "scene/SceneBounds.h"

#include <assimp/scene.h>

#include <vector>

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

// Each node's own drawn meshes, one box per node, in the world.
void walk(const aiScene* scene, const aiNode* node, const aiMatrix4x4& parent, std::vector<Bounds>& boxes) {
    // Some importers leave empty slots among a node's children.
    if (!node) return;
    // Parent first, as drawing multiplies them.
    const aiMatrix4x4 transform = parent * node->mTransformation;
    Bounds own;
    addMeshes(scene, node, transform, own);
    if (!own.empty()) boxes.push_back(own);
    for (unsigned i = 0; i < node->mNumChildren; ++i) walk(scene, node->mChildren[i], transform, boxes);
}

std::vector<Bounds> nodeBoxes(const aiScene* scene) {
    std::vector<Bounds> boxes;
    if (scene && scene->mRootNode) walk(scene, scene->mRootNode, aiMatrix4x4(), boxes);
    return boxes;
}

bool encloses(const Bounds& outer, const Bounds& inner) {
    return glm::all(glm::lessThanEqual(outer.min, inner.min)) && glm::all(glm::lessThanEqual(inner.max, outer.max));
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
    for (const Bounds& box : nodeBoxes(scene)) {
        bounds.add(box.min);
        bounds.add(box.max);
    }
    return bounds;
}

Bounds framed(const aiScene* scene) {
    const std::vector<Bounds> boxes = nodeBoxes(scene);
    // The largest box, and all the others together.
    size_t largest = 0;
    for (size_t i = 1; i < boxes.size(); ++i)
        if (glm::length(boxes[i].size()) > glm::length(boxes[largest].size())) largest = i;
    Bounds others, all;
    for (size_t i = 0; i < boxes.size(); ++i) {
        for (const vec3& corner : {boxes[i].min, boxes[i].max}) {
            all.add(corner);
            if (i != largest) others.add(corner);
        }
    }
    // A sky dome or a backdrop around everything else, twice its size or more, is left out.
    const bool backdrop = !others.empty() && encloses(boxes[largest], others) &&
                          glm::length(boxes[largest].size()) >= BackdropRatio * glm::length(others.size());
    return backdrop ? others : all;
}

Bounds ofNode(const aiScene* scene, const aiNode* node) {
    Bounds bounds;
    if (scene && node) addMeshes(scene, node, aiMatrix4x4(), bounds);
    return bounds;
}

}  // namespace SceneBounds
}  // namespace Quessel
