#include "look/MaterialReader.h"

#include "look/ToneCurve.h"

#include <assimp/GltfMaterial.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Quessel {

SurfaceMaterial SurfaceMaterial::neutralGrey() {
    SurfaceMaterial material;
    material.neutral = true;
    return material;
}

namespace {

bool colorOf(const aiMaterial* material, const char* key, unsigned type, unsigned index, vec3& out) {
    aiColor4D color;
    if (aiGetMaterialColor(material, key, type, index, &color) != AI_SUCCESS) return false;
    out = vec3(color.r, color.g, color.b);
    return true;
}

bool floatOf(const aiMaterial* material, const char* key, unsigned type, unsigned index, float& out) {
    ai_real value = 0;
    if (aiGetMaterialFloat(material, key, type, index, &value) != AI_SUCCESS) return false;
    out = static_cast<float>(value);
    return true;
}

vec3 decoded(const vec3& c, bool srgb) {
    return srgb ? vec3(ToneCurve::decodeSrgb(c.x), ToneCurve::decodeSrgb(c.y), ToneCurve::decodeSrgb(c.z)) : c;
}

MaterialTexture textureOf(const aiMaterial* material, aiTextureType type) {
    MaterialTexture texture;
    aiString path;
    if (material->GetTexture(type, 0, &path) != AI_SUCCESS) return texture;
    texture.file = path.C_Str();
    int uv = 0;
    if (material->Get(AI_MATKEY_UVWSRC(type, 0), uv) == AI_SUCCESS) texture.uvSet = std::clamp(uv, 0, 1);
    return texture;
}

bool hasName(const aiMaterial* material) {
    aiString name;
    return material->Get(AI_MATKEY_NAME, name) == AI_SUCCESS && name.length > 0;
}

bool isWhite(const aiMaterial* material, const char* key, unsigned type, unsigned index) {
    vec3 c;
    return colorOf(material, key, type, index, c) && c == vec3(1.0f);
}

void readGltf(const aiMaterial* source, SurfaceMaterial& m) {
    aiColor4D base(1, 1, 1, 1);
    source->Get(AI_MATKEY_BASE_COLOR, base);
    m.baseColor = vec4(base.r, base.g, base.b, base.a);
    m.metallic = 1.0f;
    m.roughness = 1.0f;
    floatOf(source, AI_MATKEY_METALLIC_FACTOR, m.metallic);
    floatOf(source, AI_MATKEY_ROUGHNESS_FACTOR, m.roughness);
    colorOf(source, AI_MATKEY_COLOR_EMISSIVE, m.emissive);
    m.baseColorTexture = textureOf(source, aiTextureType_BASE_COLOR);
    if (!m.baseColorTexture.used()) m.baseColorTexture = textureOf(source, aiTextureType_DIFFUSE);
    m.metallicRoughnessTexture = textureOf(source, aiTextureType_UNKNOWN);
    m.normalTexture = textureOf(source, aiTextureType_NORMALS);
    floatOf(source, AI_MATKEY_GLTF_TEXTURE_SCALE(aiTextureType_NORMALS, 0), m.normalScale);
    m.occlusionTexture = textureOf(source, aiTextureType_LIGHTMAP);
    floatOf(source, AI_MATKEY_GLTF_TEXTURE_STRENGTH(aiTextureType_LIGHTMAP, 0), m.occlusionStrength);
    m.emissiveTexture = textureOf(source, aiTextureType_EMISSIVE);
    aiString mode;
    if (source->Get(AI_MATKEY_GLTF_ALPHAMODE, mode) == AI_SUCCESS) {
        if (std::strcmp(mode.C_Str(), "MASK") == 0) m.alpha = SurfaceMaterial::Alpha::Mask;
        if (std::strcmp(mode.C_Str(), "BLEND") == 0) m.alpha = SurfaceMaterial::Alpha::Blend;
    }
    floatOf(source, AI_MATKEY_GLTF_ALPHACUTOFF, m.alphaCutoff);
}

void readPhong(const aiMaterial* source, bool srgb, SurfaceMaterial& m) {
    m.baseColorTexture = textureOf(source, aiTextureType_DIFFUSE);
    vec3 diffuse(m.baseColorTexture.used() ? 1.0f : 0.5f);
    if (colorOf(source, AI_MATKEY_COLOR_DIFFUSE, diffuse)) diffuse = decoded(diffuse, srgb);
    float opacity = 1.0f;
    floatOf(source, AI_MATKEY_OPACITY, opacity);
    opacity = std::clamp(opacity, 0.0f, 1.0f);
    m.baseColor = vec4(diffuse, opacity);
    if (opacity < 0.999f) m.alpha = SurfaceMaterial::Alpha::Blend;
    m.metallic = 0.0f;
    vec3 specular(0.0f);
    float shininess = 0.0f;
    const bool glossy = colorOf(source, AI_MATKEY_COLOR_SPECULAR, specular) &&
                        std::max({specular.x, specular.y, specular.z}) > 0.01f &&
                        floatOf(source, AI_MATKEY_SHININESS, shininess) && shininess > 0.0f;
    m.roughness = glossy ? MaterialReader::roughnessFromShininess(shininess) : 1.0f;
    m.emissiveTexture = textureOf(source, aiTextureType_EMISSIVE);
    if (colorOf(source, AI_MATKEY_COLOR_EMISSIVE, m.emissive)) m.emissive = decoded(m.emissive, srgb);
    if (m.emissiveTexture.used() && m.emissive == vec3(0.0f)) m.emissive = vec3(1.0f);
    m.normalTexture = textureOf(source, aiTextureType_NORMALS);
}

}  // namespace

float MaterialReader::roughnessFromShininess(float shininess) {
    return std::clamp(std::pow(2.0f / (std::max(shininess, 0.0f) + 2.0f), 0.25f), 0.0f, 1.0f);
}

bool MaterialReader::invented(const aiMaterial* material, const FormatRule& rule) {
    if (!material || rule.materials == FormatRule::Materials::None) return true;
    aiString name;
    if (material->Get(AI_MATKEY_NAME, name) == AI_SUCCESS && std::strcmp(name.C_Str(), AI_DEFAULT_MATERIAL_NAME) == 0)
        return true;
    if (hasName(material)) return false;
    switch (rule.invented) {
    case FormatRule::Invented::DefaultName: return false;
    case FormatRule::Invented::PlyDefault:
        return isWhite(material, AI_MATKEY_COLOR_DIFFUSE) && isWhite(material, AI_MATKEY_COLOR_SPECULAR) &&
               isWhite(material, AI_MATKEY_COLOR_AMBIENT);
    case FormatRule::Invented::GltfDefault: {
        float metallic = 0.0f;
        float roughness = 0.0f;
        return isWhite(material, AI_MATKEY_BASE_COLOR) && floatOf(material, AI_MATKEY_METALLIC_FACTOR, metallic) &&
               metallic == 1.0f && floatOf(material, AI_MATKEY_ROUGHNESS_FACTOR, roughness) && roughness == 1.0f &&
               material->GetTextureCount(aiTextureType_BASE_COLOR) == 0 &&
               material->GetTextureCount(aiTextureType_DIFFUSE) == 0;
    }
    }
    return false;
}

SurfaceMaterial MaterialReader::read(const aiMaterial* source, const FormatRule& rule, const aiMesh* mesh) {
    const bool colors = mesh && mesh->HasVertexColors(0);
    SurfaceMaterial m;
    if (invented(source, rule)) {
        m = SurfaceMaterial::neutralGrey();
        if (colors) m.baseColor = vec4(1.0f);
    } else {
        aiString name;
        if (source->Get(AI_MATKEY_NAME, name) == AI_SUCCESS) m.name = name.C_Str();
        if (rule.materials == FormatRule::Materials::MetallicRoughness)
            readGltf(source, m);
        else
            readPhong(source, rule.srgbColors, m);
        int twoSided = 0;
        m.doubleSided = !rule.doubleSidedFromFile || (source->Get(AI_MATKEY_TWOSIDED, twoSided) == AI_SUCCESS && twoSided);
    }
    m.metallic = std::clamp(m.metallic, 0.0f, 1.0f);
    m.roughness = std::clamp(m.roughness, 0.0f, 1.0f);
    m.vertexColors = colors;
    m.vertexColorsSrgb = colors && rule.srgbColors;
    return m;
}

SurfaceMaterial MaterialReader::read(const aiScene* scene, unsigned meshIndex) {
    const aiMesh* mesh = scene && meshIndex < scene->mNumMeshes ? scene->mMeshes[meshIndex] : nullptr;
    const aiMaterial* material =
        mesh && mesh->mMaterialIndex < scene->mNumMaterials ? scene->mMaterials[mesh->mMaterialIndex] : nullptr;
    return read(material, FormatRule::of(scene), mesh);
}

}  // namespace Quessel
