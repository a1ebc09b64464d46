#include "scene/ImportPlan.h"

#include "scene/MaterialBlock.h"
#include "scene/MeshPreparation.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>

namespace Quessel {

namespace {
// What a brought scene keeps of the preset: steps that change what is drawn (polygons cut
// into triangles, mixed meshes sorted so their triangles are drawn, degenerate triangles
// and invalid normals or texture coordinates found, texture mappings turned into
// coordinates) or the materials listed, each one pass over the data. Left out: normals,
// tangents and welding (made per mesh afterwards), splitting large meshes (32-bit indices
// draw any size), bone weights (not drawn) and Assimp's cache ordering.
constexpr unsigned BroughtSteps = aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_FindDegenerates |
                                  aiProcess_FindInvalidData | aiProcess_GenUVCoords |
                                  aiProcess_RemoveRedundantMaterials;
}  // namespace

ImportPlan ImportPlan::of(bool brought, bool validate) {
    ImportPlan plan;
    plan.brought = brought;
    plan.degenerateAreas = !brought;
    // Assimp runs its validation before its own pre-processing and every other step, so a
    // face that indexes a vertex the file never gave is refused before a step reads it.
    plan.readSteps = (brought ? BroughtSteps : unsigned(aiProcessPreset_TargetRealtime_Quality)) |
                     (validate ? unsigned(aiProcess_ValidateDataStructure) : 0u);
    return plan;
}

bool ImportPlan::hasNormalMap(const aiMaterial* material, const std::set<std::string>& normalMaps) {
    if (!material) return false;
    if (material->GetTextureCount(aiTextureType_NORMALS) > 0) return true;
    aiString diffuse;
    return aiGetMaterialTexture(material, aiTextureType_DIFFUSE, 0, &diffuse) == AI_SUCCESS &&
           normalMaps.count(normalMapName(diffuse.C_Str())) > 0;
}

std::vector<ImportPlan::MeshSteps> ImportPlan::meshSteps(const aiScene* scene,
                                                         const std::set<std::string>& normalMaps) {
    std::vector<MeshSteps> steps;
    if (!scene) return steps;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        MeshSteps step;
        step.weld = MeshPreparation::isTriangles(*mesh);
        step.normals = step.weld && !mesh->HasNormals();
        const aiMaterial* material =
            mesh->mMaterialIndex < scene->mNumMaterials ? scene->mMaterials[mesh->mMaterialIndex] : nullptr;
        step.tangents = step.weld && mesh->HasTextureCoords(0) && hasNormalMap(material, normalMaps);
        steps.push_back(step);
    }
    return steps;
}

bool ImportPlan::tangentStep(const std::vector<MeshSteps>& steps) {
    return std::any_of(steps.begin(), steps.end(), [](const MeshSteps& step) { return step.tangents; });
}

}  // namespace Quessel
