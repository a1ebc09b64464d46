#version 430 core
// Scene surfaces: one rule for every material. Blinn-Phong from the circling point light
// with tangent-space normal maps, and a Fresnel reflection of the cube map on unit 26:
//   colour = emissive * T + T * (ambient + diffuse * (sky fill + lit diffuse))
//            + specular * highlight, then the reflection blended in by Fresnel * specular,
// where T is the diffuse texture (white without one). A material with only an emissive
// colour and a texture (a sky dome) shows the texture unlit and without gloss.

in vec3 worldPosition;
in vec3 worldNormal;
in vec4 worldTangent;  // w: handedness of the bitangent
in vec2 uv;

layout(std140, binding = 2) uniform Material {
    vec4 diffuse;
    vec4 ambient;
    vec4 specular;
    vec4 emissive;
    float shininess;
    int hasTexture;
} material;

// The host fills words 3-12 with fixed numbers (1.0 and 0.01); this is what they mean.
layout(std140, binding = 3) uniform PointLight {
    vec3 position;          // words 0-2: world position
    float intensity;        // word 3 (1.0): overall strength
    vec3 color;             // words 4-6 (1, 1, 1): light colour
    float linearFalloff;    // word 7 (0.01 per metre)
    vec3 quadraticFalloff;  // words 8-10 (0.01 per square metre, per colour channel)
    float ambientShare;     // word 11 (0.01): part of the light that reaches every surface
    float radius;           // word 12 (0.01 m): bulb radius, the nearest distance the falloff sees
    uint bufferName;        // word 13: host bookkeeping, meaningless here
} light;

uniform vec3 cameraPosition;
uniform vec3 cameraDirection;

layout(binding = 0) uniform sampler2D tex;
layout(binding = 1) uniform sampler2D nmTex;
layout(binding = 26) uniform samplerCube environment;

layout(location = 0) out vec4 fragColor;

// Sky light that the single point light cannot give; keeps shadowed sides readable.
const float skyFill = 0.08;
// Dielectric reflectance at normal incidence.
const float baseReflectance = 0.04;

// Cost note: the software rasteriser runs both sides of every branch on every pixel, so
// this shader is written as one straight path with selects, and its cost is what it
// computes. It runs on every pixel of the main pass and of six 512 x 512 faces.

// The normal map bends n in the frame of the interpolated tangent, made perpendicular
// to n again. A missing normal map samples as black; a real one always points out of the
// surface, so its blue channel is at least one half. Meshes without tangents read zero.
vec3 mappedNormal(vec3 n, vec3 mapped) {
    vec3 t = worldTangent.xyz - n * dot(n, worldTangent.xyz);
    bool usable = mapped.b >= 0.25 && dot(t, t) > 1e-12;
    t *= inversesqrt(max(dot(t, t), 1e-24));
    vec3 b = cross(n, t) * worldTangent.w;
    vec3 bent = normalize(mat3(t, b, n) * (mapped * 2.0 - 1.0));
    return usable ? bent : n;
}

// v scaled to unit length; a zero vector stays zero instead of becoming NaN.
vec3 direction(vec3 v) {
    return v * inversesqrt(max(dot(v, v), 1e-12));
}

void main() {
    vec3 textureColor = material.hasTexture == 1 ? texture(tex, uv).rgb : vec3(1.0);
    vec3 albedo = textureColor * material.diffuse.rgb;
    vec3 smoothNormal = normalize(worldNormal);
    vec3 n = mappedNormal(smoothNormal, texture(nmTex, uv).rgb);
    // Lit from both sides: the triangle's own normal, turned towards the eye by the screen
    // derivatives, disagrees with the vertex normals exactly when the eye sees the side
    // they point away from (open meshes seen from behind, whatever their winding).
    vec3 facingEye = cross(dFdx(worldPosition), dFdy(worldPosition));
    n = dot(facingEye, smoothNormal) < 0.0 ? -n : n;

    // Only a fragment at the eye itself has no view vector; look back along the camera then.
    vec3 toEye = cameraPosition - worldPosition;
    vec3 v = dot(toEye, toEye) > 1e-12 ? direction(toEye) : -cameraDirection;

    // The falloff never sees a distance below the bulb's radius; a fragment at the light's
    // centre gets no direction and so no diffuse light, never a NaN.
    vec3 toLight = light.position - worldPosition;
    float minimumDistance = max(light.radius, 1e-3);
    float distance2 = max(dot(toLight, toLight), minimumDistance * minimumDistance);
    float inverseDistance = inversesqrt(distance2);
    vec3 l = toLight * inverseDistance;
    float d = distance2 * inverseDistance;
    vec3 radiance = light.color * light.intensity
        / (1.0 + light.linearFalloff * d + light.quadraticFalloff * distance2);

    float nDotL = max(dot(n, l), 0.0);
    vec3 h = direction(l + v);
    float exponent = material.shininess > 0.0 ? clamp(material.shininess, 2.0, 512.0) : 32.0;
    // The true lobe: a rational stand-in's long tail would spread it into a glow.
    float highlight = nDotL > 0.0 ? pow(max(dot(n, h), 0.0), exponent) : 0.0;

    vec3 fill = skyFill + light.ambientShare * light.intensity * light.color;
    vec3 base = textureColor * material.ambient.rgb + albedo * (fill + radiance * nDotL);

    // Glossier materials (stronger specular colour) mirror more of the surroundings.
    float grazing = 1.0 - max(dot(n, v), 0.0);
    float grazing2 = grazing * grazing;
    float fresnel = baseReflectance + (1.0 - baseReflectance) * grazing2 * grazing2 * grazing;
    vec3 reflectance = clamp(fresnel * material.specular.rgb, 0.0, 1.0);
    vec3 env = texture(environment, reflect(-v, n)).rgb;

    vec3 lit = mix(base, env, reflectance) + material.specular.rgb * radiance * highlight
        + material.emissive.rgb * textureColor;
    // Blending stays on for the whole run: the scene must be opaque.
    fragColor = vec4(lit, 1.0);
}
