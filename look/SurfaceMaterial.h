#pragma once
#include "math/MathTypes.h"

#include <string>

namespace Quessel {

// One texture a material uses: the file (or embedded image) as the scene names it, and
// which texture coordinates read it. No file: not used.
struct MaterialTexture {
    std::string file;
    int uvSet = 0;

    bool used() const { return !file.empty(); }
};

// A brought scene's surface as the look draws it, one per mesh, filled from the file once
// at load by MaterialReader: metal-roughness values in linear light.
struct SurfaceMaterial {
    enum class Alpha { Opaque, Mask, Blend };

    std::string name;
    // Times the base colour texture (decoded from sRGB) and the vertex colours.
    vec4 baseColor{0.5f, 0.5f, 0.5f, 1.0f};
    float metallic = 0.0f;
    float roughness = 0.5f;
    // Times the emissive texture (decoded from sRGB).
    vec3 emissive{0.0f};
    float normalScale = 1.0f;
    float occlusionStrength = 1.0f;
    Alpha alpha = Alpha::Opaque;
    float alphaCutoff = 0.5f;
    // Both sides lit and drawn; otherwise back faces are culled.
    bool doubleSided = true;
    // Whether the mesh's first colour set multiplies the base colour, and whether those
    // colours are sRGB (decoded when the mesh is uploaded) or already linear.
    bool vertexColors = false;
    bool vertexColorsSrgb = false;
    MaterialTexture baseColorTexture;
    MaterialTexture metallicRoughnessTexture;  // roughness in green, metallic in blue
    MaterialTexture normalTexture;
    MaterialTexture occlusionTexture;  // red
    MaterialTexture emissiveTexture;
    // The file gave no material of its own: the importer's default was replaced.
    bool neutral = false;

    // What a surface without a material of its own is: a grey dielectric, slightly glossy.
    static SurfaceMaterial neutralGrey();
};

}  // namespace Quessel
