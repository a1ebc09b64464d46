// One mesh's material (SurfaceMaterialBlock on the C++ side) and its textures.
layout(std140, binding = 10) uniform SurfaceMaterial {
    vec4 baseColor;
    vec3 emissive;
    float metallic;
    float roughness;
    float normalScale;
    float occlusionStrength;
    float alphaCutoff;
    int alphaMode;  // 0 opaque, 1 mask, 2 blend
    int textures;   // which textures are bound (bits below)
    int secondUv;   // which of them read the second texture coordinates
    int flags;      // what the mesh carries (bits below)
} material;

const int BASE_COLOR_TEXTURE = 1;
const int METALLIC_ROUGHNESS_TEXTURE = 2;
const int NORMAL_TEXTURE = 4;
const int OCCLUSION_TEXTURE = 8;
const int EMISSIVE_TEXTURE = 16;

const int VERTEX_COLORS = 1;
const int DOUBLE_SIDED = 2;
const int TANGENTS = 4;
const int NORMALS = 8;
// (16 and 32 say which texture coordinate sets the mesh has: the C++ side leaves out the
// textures a missing set would read.)

layout(binding = 8) uniform sampler2D baseColorTexture;
layout(binding = 9) uniform sampler2D metallicRoughnessTexture;
layout(binding = 10) uniform sampler2D normalTexture;
layout(binding = 11) uniform sampler2D occlusionTexture;
layout(binding = 12) uniform sampler2D emissiveTexture;

bool hasTexture(int bit) {
    return (material.textures & bit) != 0;
}

bool hasFlag(int bit) {
    return (material.flags & bit) != 0;
}

// uvs: the first set in xy, the second in zw.
vec2 uvFor(int bit, vec4 uvs) {
    return (material.secondUv & bit) != 0 ? uvs.zw : uvs.xy;
}
