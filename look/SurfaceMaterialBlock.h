#pragma once
#include "core/GlConstants.h"

#include <cstddef>
#include <cstdint>

namespace Quessel {

struct SurfaceMaterial;

// Mirror of the "SurfaceMaterial" uniform block (Shader/Look/material.glsl): one mesh's
// material and what its vertices carry.
struct SurfaceMaterialBlock {
    // Bits of `textures`: which textures are bound; of `secondUv`: which read the second set.
    enum Texture : int32_t { BaseColor = 1, MetallicRoughness = 2, Normal = 4, Occlusion = 8, Emissive = 16 };
    // Bits of `flags`.
    enum Flag : int32_t { VertexColors = 1, DoubleSided = 2, Tangents = 4, Normals = 8, TexCoords0 = 16, TexCoords1 = 32 };
    enum Alpha : int32_t { Opaque = 0, Mask = 1, Blend = 2 };

    float baseColor[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    float emissive[3] = {0.0f, 0.0f, 0.0f};
    float metallic = 0.0f;
    float roughness = 0.5f;
    float normalScale = 1.0f;
    float occlusionStrength = 1.0f;
    float alphaCutoff = 0.5f;
    int32_t alpha = Opaque;
    int32_t textures = 0;
    int32_t secondUv = 0;
    int32_t flags = 0;

    // The material's values; `textures` says which of its textures did load. A texture read
    // by texture coordinates the mesh lacks (`meshFlags`) is left out.
    static SurfaceMaterialBlock from(const SurfaceMaterial& material, int32_t textures, int32_t meshFlags);
};

static_assert(sizeof(SurfaceMaterialBlock) == BlockSize::SurfaceMaterial, "std140 size");
static_assert(offsetof(SurfaceMaterialBlock, emissive) == 16, "std140 offset");
static_assert(offsetof(SurfaceMaterialBlock, metallic) == 28, "std140 offset");
static_assert(offsetof(SurfaceMaterialBlock, roughness) == 32, "std140 offset");
static_assert(offsetof(SurfaceMaterialBlock, alphaCutoff) == 44, "std140 offset");
static_assert(offsetof(SurfaceMaterialBlock, alpha) == 48, "std140 offset");
static_assert(offsetof(SurfaceMaterialBlock, flags) == 60, "std140 offset");

}  // namespace Quessel
