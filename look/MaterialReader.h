#pragma once
#include "look/FormatRule.h"
#include "look/SurfaceMaterial.h"

struct aiMaterial;
struct aiMesh;
struct aiScene;

namespace Quessel {

// Fills a mesh's SurfaceMaterial from its aiMaterial by its format's rule (FormatRule):
// - glTF 2: base colour, metallic, roughness, their textures, normal map with its scale,
//   occlusion with its strength, emissive, alpha mode and cutoff, double-sided, each
//   texture's UV set: all as given.
// - Phong formats: base colour = diffuse colour (x diffuse texture), decoded from sRGB;
//   dielectric; roughness from the shininess exponent s as (2 / (s + 2))^(1/4) (the GGX
//   lobe as wide as the Blinn-Phong one), fully rough where the file gives no shininess or
//   a black specular colour; opacity below 1 blends; emissive colour x emissive texture
//   (a texture with a black colour counts as white); ambient is ignored.
// - The importer's invented material (see FormatRule::Invented) becomes the neutral grey
//   dielectric; with vertex colours, those colours on white.
// Vertex colours multiply the base colour wherever the mesh has them.
class MaterialReader {
public:
    static SurfaceMaterial read(const aiScene* scene, unsigned meshIndex);
    static SurfaceMaterial read(const aiMaterial* material, const FormatRule& rule, const aiMesh* mesh);
    static bool invented(const aiMaterial* material, const FormatRule& rule);
    static float roughnessFromShininess(float shininess);
};

}  // namespace Quessel
