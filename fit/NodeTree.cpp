#include "fit/NodeTree.h"

#include <assimp/scene.h>
#include <fmt/format.h>

#include <algorithm>

namespace Quessel {

namespace {
void visit(const aiScene* scene, const aiNode* node, int depth, const std::vector<std::string>& mirrors,
           const std::vector<std::string>& glass, std::vector<NodeRow>& rows) {
    NodeRow row;
    row.depth = depth;
    row.name = node->mName.C_Str();
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[i]];
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) row.triangles += mesh->mFaces[f].mNumIndices >= 3;
        aiString material;
        if (mesh->mMaterialIndex < scene->mNumMaterials)
            scene->mMaterials[mesh->mMaterialIndex]->Get(AI_MATKEY_NAME, material);
        const std::string name = material.length ? material.C_Str() : "(unnamed)";
        if (std::find(row.materials.begin(), row.materials.end(), name) == row.materials.end())
            row.materials.push_back(name);
    }
    const auto named = [&row](const std::vector<std::string>& names) {
        return std::find(names.begin(), names.end(), row.name) != names.end();
    };
    row.role = named(mirrors) ? NodeRow::Role::Mirror : named(glass) ? NodeRow::Role::Glass : NodeRow::Role::None;
    rows.push_back(std::move(row));
    for (unsigned c = 0; c < node->mNumChildren; ++c)
        if (node->mChildren[c]) visit(scene, node->mChildren[c], depth + 1, mirrors, glass, rows);
}
}  // namespace

std::vector<NodeRow> NodeTree::of(const aiScene* scene, const std::vector<std::string>& mirrors,
                                  const std::vector<std::string>& glass) {
    std::vector<NodeRow> rows;
    if (scene && scene->mRootNode) visit(scene, scene->mRootNode, 0, mirrors, glass, rows);
    return rows;
}

std::string NodeTree::text(const std::vector<NodeRow>& rows) {
    std::string text;
    for (const NodeRow& row : rows) {
        text += fmt::format("{:{}}\"{}\"", "", 2 * row.depth, row.name);
        if (row.triangles > 0)
            text += fmt::format("  {} triangle{}  {}", row.triangles, row.triangles == 1 ? "" : "s",
                                fmt::join(row.materials, ", "));
        if (row.role != NodeRow::Role::None) text += row.role == NodeRow::Role::Mirror ? "  (mirror)" : "  (glass)";
        text += "\n";
    }
    return text;
}

}  // namespace Quessel
