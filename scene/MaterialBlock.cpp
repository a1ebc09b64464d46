#include "scene/MaterialBlock.h"

#include <assimp/material.h>

namespace Quessel {

namespace {
void readColor(const aiMaterial* material, const char* key, float out[4]) {
    aiColor4D color;
    if (aiGetMaterialColor(material, key, 0, 0, &color) == AI_SUCCESS) {
        out[0] = color.r;
        out[1] = color.g;
        out[2] = color.b;
        out[3] = color.a;
    }
}
}  // namespace

MaterialBlock MaterialBlock::fromMaterial(const aiMaterial* material, bool hasTexture) {
    MaterialBlock block;
    block.hasTexture = hasTexture ? 1 : 0;
    if (!material) return block;
    readColor(material, "$clr.diffuse", block.diffuse);
    readColor(material, "$clr.ambient", block.ambient);
    readColor(material, "$clr.specular", block.specular);
    readColor(material, "$clr.emissive", block.emissive);
    float shininess = 0.0f;
    unsigned int count = 1;
    if (aiGetMaterialFloatArray(material, "$mat.shininess", 0, 0, &shininess, &count) == AI_SUCCESS && count == 1)
        block.shininess = shininess;
    return block;
}

std::string normalMapName(const std::string& diffuseName) {
    if (diffuseName.size() < 4) return diffuseName + "normalmap";
    const size_t stem = diffuseName.size() - 4;
    return diffuseName.substr(0, stem) + "normalmap" + diffuseName.substr(stem);
}

}  // namespace Quessel
