#version 430 core
// Solid glass sphere. The view ray refracts into the sphere, crosses it to the far
// side (found analytically from the sphere), refracts out again and looks up the
// sphere's cube map; red, green and blue use slightly different indices. Schlick's
// Fresnel term blends in the mirror reflection of the front surface.

in vec3 worldPosition;
in vec3 worldNormal;
flat in vec3 eyePosition;
flat in float modelScale;

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

// The host writes (centre, 1.0, -2.0).
layout(std140, binding = 7) uniform Sphere {
    vec3 position;          // world position of the centre
    float radius;           // 1.0: radius of the mesh in the node's own units (the model scale makes metres)
    float log10Dispersion;  // -2.0: index step between red, green and blue is 10^-2 = 0.01
} sphere;

// The sphere's own environment; unit 0 holds no 2D texture in this program.
layout(binding = 0) uniform samplerCube environment;

layout(location = 0) out vec4 fragColor;

const float glassIndex = 1.52;   // green; red and blue one dispersion step below and above
const float tintAmount = 0.25;   // how much the material colour tints the transmitted light
const float highlightExponent = 512.0;

// Refracts the entering ray at the near surface point p, leaves through the far side and
// returns the outgoing direction.
vec3 throughSphere(vec3 p, vec3 dir, vec3 n, vec3 centre, float r, float index) {
    vec3 inside = refract(dir, n, 1.0 / index);
    // Far root of |p + t*inside - centre| = r; p lies on (or, between the mesh's
    // vertices, just inside) the sphere, so the root is always ahead.
    vec3 oc = p - centre;
    float b = dot(oc, inside);
    float c = dot(oc, oc) - r * r;
    float t = -b + sqrt(max(b * b - c, 0.0));
    vec3 exitNormal = normalize(oc + inside * t);
    vec3 outside = refract(inside, -exitNormal, index);
    // A true sphere never reflects internally (the exit angle equals the entry angle);
    // only rounding can get here.
    return dot(outside, outside) > 0.0 ? outside : reflect(inside, -exitNormal);
}

void main() {
    vec3 centre = sphere.position;
    float r = sphere.radius * modelScale;
    vec3 v = normalize(eyePosition - worldPosition);
    vec3 dir = -v;

    // The analytic normal matches the exit point computed in throughSphere; the mesh
    // normal only serves at the centre itself.
    vec3 fromCentre = worldPosition - centre;
    vec3 n = dot(fromCentre, fromCentre) > 1e-12 ? normalize(fromCentre) : normalize(worldNormal);
    // On the silhouette the faceted mesh can show points whose true normal already
    // faces away; tilt it just enough for the ray to enter.
    float facing = dot(dir, n);
    if (facing > -1e-3) {
        n = normalize(n - dir * (facing + 1e-3));
    }

    float indexStep = pow(10.0, sphere.log10Dispersion);
    vec3 transmitted;
    transmitted.r = texture(environment, throughSphere(worldPosition, dir, n, centre, r, glassIndex - indexStep)).r;
    transmitted.g = texture(environment, throughSphere(worldPosition, dir, n, centre, r, glassIndex)).g;
    transmitted.b = texture(environment, throughSphere(worldPosition, dir, n, centre, r, glassIndex + indexStep)).b;
    transmitted *= mix(vec3(1.0), material.diffuse.rgb, tintAmount);
    vec3 reflected = texture(environment, reflect(dir, n)).rgb;

    float f0 = (glassIndex - 1.0) / (glassIndex + 1.0);
    f0 *= f0;
    float fresnel = f0 + (1.0 - f0) * pow(1.0 - max(dot(n, v), 0.0), 5.0);

    vec3 toLight = light.position - worldPosition;
    float lightDistance = length(toLight);
    vec3 l = lightDistance > 1e-6 ? toLight / lightDistance : n;
    float d = max(lightDistance, max(light.radius, 1e-3));
    vec3 radiance = light.color * light.intensity
        / (1.0 + light.linearFalloff * d + light.quadraticFalloff * (d * d));
    vec3 halfway = l + v;
    vec3 h = dot(halfway, halfway) > 1e-12 ? normalize(halfway) : n;
    float highlight = dot(n, l) > 0.0 ? pow(max(dot(n, h), 0.0), highlightExponent) : 0.0;

    vec3 color = mix(transmitted, reflected, fresnel) + radiance * highlight
        + material.emissive.rgb;
    fragColor = vec4(color, 1.0);
}
