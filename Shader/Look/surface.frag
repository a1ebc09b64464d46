#version 430 core
// A brought scene's surfaces as their materials say: metal-roughness, lit by the
// environment (irradiance for the diffuse part, the prefiltered cube map for the glossy
// part) and the punctual lights, in linear light, written tone-mapped and sRGB-encoded.
#include "brdf.glsl"
#include "lighting.glsl"
#include "material.glsl"
#include "tonemap.glsl"

in vec3 worldPosition;
in vec3 worldNormal;
in vec4 worldTangent;
in vec4 uvs;
in vec4 color;
flat in vec3 eye;

layout(location = 0) out vec4 fragColor;

// The tangent frame: the mesh's tangents where it has them, else one made from the screen
// derivatives of position and texture coordinates.
mat3 tangentFrame(vec3 n, vec2 uv) {
    vec3 t = worldTangent.xyz - n * dot(n, worldTangent.xyz);
    if (hasFlag(TANGENTS) && dot(t, t) > 1e-12) return mat3(normalize(t), cross(n, normalize(t)) * worldTangent.w, n);
    vec3 dp1 = dFdx(worldPosition);
    vec3 dp2 = dFdy(worldPosition);
    vec2 duv1 = dFdx(uv);
    vec2 duv2 = dFdy(uv);
    vec3 dp2perp = cross(dp2, n);
    vec3 dp1perp = cross(n, dp1);
    vec3 tu = dp2perp * duv1.x + dp1perp * duv2.x;
    vec3 tv = dp2perp * duv1.y + dp1perp * duv2.y;
    float scale = inversesqrt(max(max(dot(tu, tu), dot(tv, tv)), 1e-30));
    return mat3(tu * scale, tv * scale, n);
}

void main() {
    vec4 base = material.baseColor;
    if (hasTexture(BASE_COLOR_TEXTURE)) base *= texture(baseColorTexture, uvFor(BASE_COLOR_TEXTURE, uvs));
    if (hasFlag(VERTEX_COLORS)) base *= color;
    if (material.alphaMode == 1 && base.a < material.alphaCutoff) discard;

    float metallic = material.metallic;
    float roughness = material.roughness;
    if (hasTexture(METALLIC_ROUGHNESS_TEXTURE)) {
        vec4 mr = texture(metallicRoughnessTexture, uvFor(METALLIC_ROUGHNESS_TEXTURE, uvs));
        roughness *= mr.g;
        metallic *= mr.b;
    }
    roughness = clamp(roughness, 0.0, 1.0);

    // The triangle's own normal towards the eye, whatever its winding: what a mesh without
    // normals shows, and which side of a double-sided surface is seen.
    vec3 facing = normalize(cross(dFdx(worldPosition), dFdy(worldPosition)));
    // A vertex normal lying in the triangle's plane (an importer's guess at a corner shared
    // by faces at right angles) says nothing about the surface; the facet does.
    vec3 vertexNormal = worldNormal * inversesqrt(max(dot(worldNormal, worldNormal), 1e-30));
    bool smoothNormal = hasFlag(NORMALS) && abs(dot(vertexNormal, facing)) > 0.1;
    vec3 n = smoothNormal ? vertexNormal : facing;
    bool backSide = hasFlag(DOUBLE_SIDED) && dot(n, facing) < 0.0;
    if (hasTexture(NORMAL_TEXTURE)) {
        vec2 uv = uvFor(NORMAL_TEXTURE, uvs);
        vec3 mapped = texture(normalTexture, uv).xyz * 2.0 - 1.0;
        mapped.xy *= material.normalScale;
        n = normalize(tangentFrame(n, uv) * mapped);
    }
    if (backSide) n = -n;

    float occlusion = 1.0;
    if (hasTexture(OCCLUSION_TEXTURE))
        occlusion = 1.0 + material.occlusionStrength * (texture(occlusionTexture, uvFor(OCCLUSION_TEXTURE, uvs)).r - 1.0);

    vec3 v = normalize(eye - worldPosition);
    float nDotV = max(dot(n, v), 1e-4);
    vec3 diffuseColor = base.rgb * (1.0 - metallic);
    vec3 f0 = mix(vec3(0.04), base.rgb, metallic);
    float alpha = max(roughness * roughness, 2e-3);

    // The environment: what the split sum gives to the glossy part the diffuse part lacks,
    // so a white surface under an even sky reflects exactly that sky.
    vec2 ab = environmentBrdf(nDotV, roughness);
    vec3 specularWeight = f0 * ab.x + ab.y;
    vec3 lit = (diffuseColor * irradianceAt(n) / PI * (1.0 - specularWeight)
                + prefilteredRadiance(reflect(-v, n), roughness) * specularWeight) * occlusion;

    for (int i = 0; i < lighting.lightCount; ++i) {
        vec3 l;
        vec3 e = lightIrradiance(i, worldPosition, l);
        lit += shadeLight(n, v, l, e, diffuseColor, f0, alpha);
    }

    vec3 emissive = material.emissive;
    if (hasTexture(EMISSIVE_TEXTURE)) emissive *= texture(emissiveTexture, uvFor(EMISSIVE_TEXTURE, uvs)).rgb;
    lit += emissive;

    fragColor = vec4(displayColor(lit, lighting.exposure), material.alphaMode == 2 ? base.a : 1.0);
}
