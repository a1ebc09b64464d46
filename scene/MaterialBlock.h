#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct aiMaterial;

namespace Quessel {

// Mirror of the 72-byte "Material" uniform block.
struct MaterialBlock {
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float emissive[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float shininess = 0.0f;
    int32_t hasTexture = 0;

    // The material's colours and shininess; values it lacks keep the defaults above.
    static MaterialBlock fromMaterial(const aiMaterial* material, bool hasTexture);
};

static_assert(sizeof(MaterialBlock) == 72, "MaterialBlock must match the 72-byte block");
static_assert(offsetof(MaterialBlock, ambient) == 16, "std140 offset");
static_assert(offsetof(MaterialBlock, specular) == 32, "std140 offset");
static_assert(offsetof(MaterialBlock, emissive) == 48, "std140 offset");
static_assert(offsetof(MaterialBlock, shininess) == 64, "std140 offset");
static_assert(offsetof(MaterialBlock, hasTexture) == 68, "std140 offset");

// The normal map that belongs to a diffuse texture: "duck.png" -> "ducknormalmap.png".
std::string normalMapName(const std::string& diffuseName);

}  // namespace Quessel
