// Metal-roughness shading: GGX microfacets with height-correlated Smith visibility and
// Schlick's Fresnel for the lights, the split sum for the environment.
const float PI = 3.14159265;

float distributionGgx(float nDotH, float alpha) {
    float a2 = alpha * alpha;
    float d = nDotH * nDotH * (a2 - 1.0) + 1.0;
    return a2 / (PI * d * d);
}

float visibilitySmith(float nDotL, float nDotV, float alpha) {
    float a2 = alpha * alpha;
    float v = nDotL * sqrt(nDotV * nDotV * (1.0 - a2) + a2);
    float l = nDotV * sqrt(nDotL * nDotL * (1.0 - a2) + a2);
    return 0.5 / max(v + l, 1e-6);
}

vec3 fresnelSchlick(vec3 f0, float vDotH) {
    float f = pow(1.0 - vDotH, 5.0);
    return f0 + (1.0 - f0) * f;
}

// The split sum's scale and bias to f0 as an analytic fit (Karis, for mobile): exact for
// f0 = 1 at every angle, which mirrors need, and no table to bake or sample.
vec2 environmentBrdf(float nDotV, float roughness) {
    const vec4 c0 = vec4(-1.0, -0.0275, -0.572, 0.022);
    const vec4 c1 = vec4(1.0, 0.0425, 1.04, -0.04);
    vec4 r = roughness * c0 + c1;
    float a004 = min(r.x * r.x, exp2(-9.28 * nDotV)) * r.x + r.y;
    return vec2(-1.04, 1.04) * a004 + r.zw;
}

// Light reflected towards v from irradiance e arriving from l.
vec3 shadeLight(vec3 n, vec3 v, vec3 l, vec3 e, vec3 diffuseColor, vec3 f0, float alpha) {
    float nDotL = max(dot(n, l), 0.0);
    vec3 h = normalize(l + v);
    float nDotV = max(dot(n, v), 1e-4);
    vec3 f = fresnelSchlick(f0, max(dot(v, h), 0.0));
    vec3 specular = f * distributionGgx(max(dot(n, h), 0.0), alpha) * visibilitySmith(nDotL, nDotV, alpha);
    return ((1.0 - f) * diffuseColor / PI + specular) * e * nDotL;
}
