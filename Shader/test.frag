#version 430 core
// Scene surfaces: Blinn-Phong from the circling point light, tangent-space
// normal maps, and a Fresnel-weighted reflection of the cube map on unit 26.
// The sky dome is painted with a procedural sky instead.

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
const vec3 skyFill = vec3(0.08);
// Dielectric reflectance at normal incidence.
const float baseReflectance = 0.04;
// Weakest highlight colour, so materials exported without a specular colour still shine.
const vec3 minimumSpecular = vec3(0.08);

// The scene generator marks the sky dome's material by an emission alpha of 0; every
// other material has 1 (also the default when a file gives no emission).
bool isSky() {
    return material.emissive.a < 0.5;
}

// The prepared sky cube map's gradient and sun (tools/SkyCubeMap.cpp, without its
// clouds and hills), so the dome and the reflections of that cube map agree.
const vec3 skyHorizon = vec3(200.0, 222.0, 236.0) / 255.0;
const vec3 skyZenith = vec3(58.0, 112.0, 192.0) / 255.0;
const vec3 sunColor = vec3(255.0, 236.0, 196.0) / 255.0;
const vec3 sunDirection = normalize(vec3(0.55, 0.42, -0.72));
// Below the horizon the cube map shows hazy hills; fade towards their colour.
const vec3 hazeColor = vec3(128.0, 150.0, 150.0) / 255.0;

vec3 skyColor(vec3 d) {
    float elevation = asin(clamp(d.y, -1.0, 1.0));
    float up = clamp(elevation / 1.5707963, 0.0, 1.0);
    vec3 sky = mix(skyHorizon, skyZenith, pow(up, 0.6));
    float toSun = max(dot(d, sunDirection), 0.0);
    sky += sunColor * (0.45 * pow(toSun, 12.0) + 0.9 * pow(toSun, 300.0));
    sky = mix(sky, hazeColor, smoothstep(0.0, -0.06, elevation));
    return clamp(sky, 0.0, 1.0);
}

vec3 surfaceNormal(vec3 n) {
    // A missing normal map samples as black; a real one always points out of the
    // surface, so its blue channel is at least one half. Meshes without tangents read
    // zero attributes; a tangent along the normal is no better. Selects rather than
    // branches: a software rasteriser pays for divergent branches on every pixel.
    vec3 mapped = texture(nmTex, uv).rgb;
    vec3 tangent = worldTangent.xyz;
    vec3 t = tangent - n * dot(n, tangent);
    float tangentLength2 = dot(t, t);
    bool usable = mapped.b >= 0.25 && tangentLength2 > 1e-6 * dot(tangent, tangent);
    t *= inversesqrt(max(tangentLength2, 1e-20));
    vec3 b = cross(n, t) * worldTangent.w;
    vec3 bent = normalize(mat3(t, b, n) * (mapped * 2.0 - 1.0));
    return usable ? bent : n;
}

void main() {
    if (isSky()) {
        // Seen from the eye (or from a sphere while its cube map is drawn): no light,
        // no normal map, no reflection.
        fragColor = vec4(skyColor(normalize(worldPosition - cameraPosition)), 1.0);
        return;
    }
    vec3 albedo = material.hasTexture == 1 ? texture(tex, uv).rgb : material.diffuse.rgb;
    vec3 n = surfaceNormal(normalize(worldNormal));

    vec3 toEye = cameraPosition - worldPosition;
    // Only a fragment at the eye itself has no view vector; look back along the camera then.
    vec3 v = dot(toEye, toEye) > 1e-12 ? normalize(toEye) : -cameraDirection;

    vec3 toLight = light.position - worldPosition;
    float lightDistance = length(toLight);
    vec3 l = lightDistance > 1e-6 ? toLight / lightDistance : n;
    float d = max(lightDistance, max(light.radius, 1e-3));
    vec3 radiance = light.color * light.intensity
        / (1.0 + light.linearFalloff * d + light.quadraticFalloff * (d * d));

    float nDotL = max(dot(n, l), 0.0);
    vec3 halfway = l + v;
    vec3 h = dot(halfway, halfway) > 1e-12 ? normalize(halfway) : n;
    float exponent = material.shininess > 0.0 ? clamp(material.shininess, 2.0, 512.0) : 32.0;
    float highlight = nDotL > 0.0 ? pow(max(dot(n, h), 0.0), exponent) : 0.0;
    vec3 specularColor = max(material.specular.rgb, minimumSpecular);

    vec3 ambient = (material.ambient.rgb + skyFill
        + light.ambientShare * light.intensity * light.color) * albedo;
    vec3 base = ambient + albedo * radiance * nDotL;

    // Glossier materials (stronger specular colour) mirror more of the surroundings.
    float nDotV = max(dot(n, v), 0.0);
    float fresnel = baseReflectance + (1.0 - baseReflectance) * pow(1.0 - nDotV, 5.0);
    float gloss = clamp(max(max(material.specular.r, material.specular.g), material.specular.b), 0.0, 1.0);
    float envWeight = fresnel * mix(0.35, 1.0, gloss);
    vec3 env = texture(environment, reflect(-v, n)).rgb;

    vec3 color = mix(base, env, envWeight) + specularColor * radiance * highlight
        + material.emissive.rgb;
    // Blending stays on for the whole run: the scene must be opaque.
    fragColor = vec4(color, 1.0);
}
