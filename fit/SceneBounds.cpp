#include "fit/SceneBounds.h"

#include <assimp/scene.h>

#include <vector>

namespace Quessel {
namespace SceneBounds {

namespace {
template <typename Real>
aiMatrix4x4t<Real> widened(const aiMatrix4x4& m) {
    return aiMatrix4x4t<Real>(m.a1, m.a2, m.a3, m.a4, m.b1, m.b2, m.b3, m.b4, m.c1, m.c2, m.c3, m.c4, m.d1, m.d2, m.d3,
                              m.d4);
}

template <typename Box>
void addMeshes(const aiScene* scene, const aiNode* node, const aiMatrix4x4t<typename Box::Real>& transform, Box& bounds) {
    using Real = typename Box::Real;
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        if (node->mMeshes[i] >= scene->mNumMeshes) continue;
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[i]];
        if (!drawsTriangles(mesh)) continue;
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D& vertex = mesh->mVertices[v];
            const aiVector3t<Real> p = transform * aiVector3t<Real>(vertex.x, vertex.y, vertex.z);
            bounds.add(typename Box::Vector(p.x, p.y, p.z));
        }
    }
}

// Each node's own drawn meshes, one box per node, in the world.
template <typename Box>
void walk(const aiScene* scene, const aiNode* node, const aiMatrix4x4t<typename Box::Real>& parent,
          std::vector<Box>& boxes) {
    // Some importers leave empty slots among a node's children.
    if (!node) return;
    // Parent first, as drawing multiplies them.
    const aiMatrix4x4t<typename Box::Real> transform = parent * widened<typename Box::Real>(node->mTransformation);
    Box own;
    addMeshes(scene, node, transform, own);
    if (!own.empty()) boxes.push_back(own);
    for (unsigned i = 0; i < node->mNumChildren; ++i) walk(scene, node->mChildren[i], transform, boxes);
}

template <typename Box>
std::vector<Box> nodeBoxes(const aiScene* scene) {
    std::vector<Box> boxes;
    if (scene && scene->mRootNode) walk(scene, scene->mRootNode, aiMatrix4x4t<typename Box::Real>(), boxes);
    return boxes;
}

template <typename Box>
bool encloses(const Box& outer, const Box& inner) {
    return glm::all(glm::lessThanEqual(outer.min, inner.min)) && glm::all(glm::lessThanEqual(inner.max, outer.max));
}

template <typename Box>
Box framedBoxes(const aiScene* scene) {
    const std::vector<Box> boxes = nodeBoxes<Box>(scene);
    // The largest box, and all the others together.
    size_t largest = 0;
    for (size_t i = 1; i < boxes.size(); ++i)
        if (glm::length(boxes[i].size()) > glm::length(boxes[largest].size())) largest = i;
    Box others, all;
    for (size_t i = 0; i < boxes.size(); ++i) {
        for (const auto& corner : {boxes[i].min, boxes[i].max}) {
            all.add(corner);
            if (i != largest) others.add(corner);
        }
    }
    // A sky dome or a backdrop around everything else, twice its size or more, is left out.
    const bool backdrop = !others.empty() && encloses(boxes[largest], others) &&
                          glm::length(boxes[largest].size()) >= BackdropRatio * glm::length(others.size());
    return backdrop ? others : all;
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
    for (const Bounds& box : nodeBoxes<Bounds>(scene)) {
        bounds.add(box.min);
        bounds.add(box.max);
    }
    return bounds;
}

Bounds framed(const aiScene* scene) { return framedBoxes<Bounds>(scene); }

WideBounds framedInScene(const aiScene* scene) { return framedBoxes<WideBounds>(scene); }

Bounds ofNode(const aiScene* scene, const aiNode* node) {
    Bounds bounds;
    if (scene && node) addMeshes(scene, node, aiMatrix4x4(), bounds);
    return bounds;
}

}  // namespace SceneBounds
}  // namespace Quessel
