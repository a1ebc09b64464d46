#version 430 core
// Polished metal: mostly the sphere's own cube map, more of it at grazing angles,
// with the point light's highlight on top.

in vec3 worldPosition;
in vec3 worldNormal;
flat in vec3 eyePosition;

layout(std140, binding = 2) uniform Material {
    vec4 diffuse;
    vec4 ambient;
    vec4 specular;
    vec4 emissive;
    float shininess;
    int hasTexture;
} material;

// Same reading of the light record as the scene shader (test.frag).
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

// The sphere's own environment; unit 0 holds no 2D texture in this program.
layout(binding = 0) uniform samplerCube environment;

layout(location = 0) out vec4 fragColor;

const float metalReflectance = 0.65;  // at normal incidence
const float tintAmount = 0.2;         // how much the material colour tints the mirror
const float highlightExponent = 256.0;
const vec3 skyFill = vec3(0.08);

void main() {
    vec3 n = normalize(worldNormal);
    vec3 v = normalize(eyePosition - worldPosition);
    float nDotV = max(dot(n, v), 0.0);

    vec3 toLight = light.position - worldPosition;
    float lightDistance = length(toLight);
    vec3 l = lightDistance > 1e-6 ? toLight / lightDistance : n;
    float d = max(lightDistance, max(light.radius, 1e-3));
    vec3 radiance = light.color * light.intensity
        / (1.0 + light.linearFalloff * d + light.quadraticFalloff * (d * d));
    float nDotL = max(dot(n, l), 0.0);
    vec3 halfway = l + v;
    vec3 h = dot(halfway, halfway) > 1e-12 ? normalize(halfway) : n;
    // The true lobe: a rational stand-in's long tail would spread it into a glow.
    float highlight = nDotL > 0.0 ? pow(max(dot(n, h), 0.0), highlightExponent) : 0.0;

    vec3 tint = mix(vec3(1.0), material.diffuse.rgb, tintAmount);
    vec3 env = texture(environment, reflect(-v, n)).rgb * tint;
    vec3 base = material.diffuse.rgb
        * (skyFill + light.ambientShare * light.intensity * light.color + radiance * nDotL);
    float grazing = 1.0 - nDotV;
    float grazing2 = grazing * grazing;
    float fresnel = metalReflectance + (1.0 - metalReflectance) * grazing2 * grazing2 * grazing;

    vec3 color = mix(base, env, fresnel) + radiance * highlight + material.emissive.rgb;
    fragColor = vec4(color, 1.0);
}
