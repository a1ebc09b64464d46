// The lighting every program of the look shares (LightingBlock on the C++ side): the
// environment's irradiance as spherical harmonics, its prefiltered cube map and the
// punctual lights.
struct PunctualLight {
    vec4 position;   // w: 0 none, 1 directional, 2 point, 3 spot
    vec4 direction;  // where the light goes; w: cosine of the inner half angle
    vec4 color;      // irradiance facing it at distance 1; w: cosine of the outer half angle
    vec4 falloff;    // constant, linear, quadratic
};

layout(std140, binding = 11) uniform Lighting {
    vec4 irradiance[9];
    PunctualLight lights[8];
    int lightCount;
    float specularTopLevel;
    float exposure;
    float unused;
} lighting;

layout(binding = 13) uniform samplerCube specularMap;

// Irradiance on a surface facing n, from the nine coefficients (already convolved with the
// cosine lobe).
vec3 irradianceAt(vec3 n) {
    vec3 e = lighting.irradiance[0].rgb * 0.282095
        + lighting.irradiance[1].rgb * (0.488603 * n.y)
        + lighting.irradiance[2].rgb * (0.488603 * n.z)
        + lighting.irradiance[3].rgb * (0.488603 * n.x)
        + lighting.irradiance[4].rgb * (1.092548 * n.x * n.y)
        + lighting.irradiance[5].rgb * (1.092548 * n.y * n.z)
        + lighting.irradiance[6].rgb * (0.315392 * (3.0 * n.z * n.z - 1.0))
        + lighting.irradiance[7].rgb * (1.092548 * n.x * n.z)
        + lighting.irradiance[8].rgb * (0.546274 * (n.x * n.x - n.y * n.y));
    return max(e, vec3(0.0));
}

// The environment as a surface of this roughness reflects it towards r.
vec3 prefilteredRadiance(vec3 r, float roughness) {
    return textureLod(specularMap, r, roughness * lighting.specularTopLevel).rgb;
}

// Direction towards light i from p, and the irradiance it brings there facing it.
vec3 lightIrradiance(int i, vec3 p, out vec3 l) {
    PunctualLight light = lighting.lights[i];
    if (light.position.w < 1.5) {
        l = -normalize(light.direction.xyz);
        return light.color.rgb;
    }
    vec3 toLight = light.position.xyz - p;
    float d = max(length(toLight), 1e-6);
    l = toLight / d;
    float falloff = 1.0 / max(dot(light.falloff.xyz, vec3(1.0, d, d * d)), 1e-6);
    float cone = 1.0;
    if (light.position.w > 2.5) {
        float cosAngle = dot(-l, normalize(light.direction.xyz));
        cone = smoothstep(light.color.w, max(light.direction.w, light.color.w + 1e-4), cosAngle);
    }
    return light.color.rgb * falloff * cone;
}
