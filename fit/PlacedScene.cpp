#include "fit/PlacedScene.h"

#include <assimp/scene.h>

#include <set>

namespace Quessel {

namespace {
void scaleTranslations(aiNode* node, float scale) {
    if (!node) return;
    node->mTransformation.a4 *= scale;
    node->mTransformation.b4 *= scale;
    node->mTransformation.c4 *= scale;
    for (unsigned i = 0; i < node->mNumChildren; ++i) scaleTranslations(node->mChildren[i], scale);
}
}  // namespace

void PlacedScene::apply(const aiScene* scene, const Placement& placement) {
    if (!scene || !scene->mRootNode || !placement.moves()) return;
    // A power of two: every product below is exact.
    const auto scale = static_cast<float>(placement.scale);
    std::set<aiMesh*> scaled;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        aiMesh* mesh = scene->mMeshes[m];
        if (!mesh || !mesh->mVertices || !scaled.insert(mesh).second) continue;
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) mesh->mVertices[v] *= scale;
    }
    for (unsigned l = 0; l < scene->mNumLights; ++l)
        if (scene->mLights[l]) scene->mLights[l]->mPosition *= scale;
    aiNode* root = scene->mRootNode;
    scaleTranslations(root, scale);
    // The root's translation, now in drawn units, less the centre's: computed in doubles
    // and rounded once.
    const dvec3 centre = placement.scale * placement.centre;
    root->mTransformation.a4 = static_cast<float>(root->mTransformation.a4 - centre.x);
    root->mTransformation.b4 = static_cast<float>(root->mTransformation.b4 - centre.y);
    root->mTransformation.c4 = static_cast<float>(root->mTransformation.c4 - centre.z);
}

}  // namespace Quessel
