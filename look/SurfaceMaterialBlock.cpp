#include "look/SurfaceMaterialBlock.h"

#include "look/SurfaceMaterial.h"

namespace Quessel {

SurfaceMaterialBlock SurfaceMaterialBlock::from(const SurfaceMaterial& m, int32_t textures, int32_t meshFlags) {
    SurfaceMaterialBlock block;
    for (int i = 0; i < 4; ++i) block.baseColor[i] = m.baseColor[i];
    for (int i = 0; i < 3; ++i) block.emissive[i] = m.emissive[i];
    block.metallic = m.metallic;
    block.roughness = m.roughness;
    block.normalScale = m.normalScale;
    block.occlusionStrength = m.occlusionStrength;
    block.alphaCutoff = m.alphaCutoff;
    block.alpha = m.alpha == SurfaceMaterial::Alpha::Mask ? Mask : m.alpha == SurfaceMaterial::Alpha::Blend ? Blend : Opaque;
    block.textures = textures;
    const std::pair<const MaterialTexture*, int32_t> sets[] = {{&m.baseColorTexture, BaseColor},
                                                               {&m.metallicRoughnessTexture, MetallicRoughness},
                                                               {&m.normalTexture, Normal},
                                                               {&m.occlusionTexture, Occlusion},
                                                               {&m.emissiveTexture, Emissive}};
    for (const auto& [texture, bit] : sets) {
        if (texture->uvSet == 1) block.secondUv |= bit;
        if (!(meshFlags & (texture->uvSet == 1 ? TexCoords1 : TexCoords0))) block.textures &= ~bit;
    }
    block.flags = meshFlags & ~(VertexColors | DoubleSided);
    if (m.vertexColors && (meshFlags & VertexColors)) block.flags |= VertexColors;
    if (m.doubleSided) block.flags |= DoubleSided;
    return block;
}

}  // namespace Quessel
