#version 430 core
// Solid glass sphere (an ellipsoid where its node is scaled unevenly). The view ray
// enters the true surface, refracts, crosses to the far side, refracts out again and
// looks up the sphere's cube map; red, green and blue use slightly different indices.
// Schlick's Fresnel term blends in the mirror reflection of the front surface.
// Intersections are found in the node's frame, where the surface is a sphere; angles are
// taken in the world, where Snell's law holds.

in vec3 worldPosition;
in vec3 objectPosition;
in float objectRadius;
flat in vec3 eyePosition;
flat in vec3 objectEye;
flat in vec3 objectCentre;
flat in mat3 worldToObject;

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

layout(std140, binding = 7) uniform Sphere {
    vec3 position;          // world position of the centre (the node's origin)
    float outsideIndex;     // 1.0: refractive index of the medium around the sphere
    float log10Dispersion;  // -2.0: index step between red, green and blue is 10^-2 = 0.01
} sphere;

// The sphere's own environment; unit 0 holds no 2D texture in this program.
layout(binding = 0) uniform samplerCube environment;

layout(location = 0) out vec4 fragColor;

const float glassIndex = 1.52;   // green; red and blue one dispersion step below and above
const float tintAmount = 0.25;   // how much the material colour tints the transmitted light
const float highlightExponent = 512.0;

// World normal of the true surface at a point of the node's frame (inverse transpose).
vec3 surfaceNormal(vec3 objectPoint) {
    return normalize(transpose(worldToObject) * (objectPoint - objectCentre));
}

// Where the ray p + t * dir meets the sphere, as (near t, far t), for a ray that reaches a
// point on or inside it.
vec2 sphereHits(vec3 p, vec3 dir, float r) {
    vec3 oc = p - objectCentre;
    float a = dot(dir, dir);
    float b = dot(oc, dir);
    float c = dot(oc, oc) - r * r;
    float root = sqrt(max(b * b - a * c, 0.0));
    return vec2(-b - root, -b + root) / a;
}

// The outgoing world direction of a ray that entered at objectEntry going `inside`.
vec3 leave(vec3 objectEntry, vec3 inside, float r, float index) {
    vec3 objectInside = worldToObject * inside;
    vec3 exitNormal = surfaceNormal(objectEntry + objectInside * sphereHits(objectEntry, objectInside, r).y);
    vec3 outside = refract(inside, -exitNormal, index);
    // A sphere never reflects internally (the exit angle equals the entry angle); an
    // ellipsoid can, and then the ray is mirrored back in.
    return dot(outside, outside) > 0.0 ? outside : reflect(inside, -exitNormal);
}

void main() {
    float r = objectRadius;
    // The faceted mesh lies just inside the true surface: the ray enters where it meets that.
    vec3 ray = objectPosition - objectEye;
    vec3 entry = objectEye + ray * max(sphereHits(objectEye, ray, r).x, 0.0);
    vec3 v = normalize(eyePosition - worldPosition);
    vec3 dir = -v;
    vec3 n = surfaceNormal(entry);

    float relative = glassIndex / sphere.outsideIndex;
    float indexStep = pow(10.0, sphere.log10Dispersion);
    // Green and blue are traced; red, one index step below green as blue is above it,
    // leaves along the straight continuation (the exit direction changes smoothly with the
    // index, and the steps are small).
    vec3 green = leave(entry, refract(dir, n, 1.0 / relative), r, relative);
    vec3 blue = leave(entry, refract(dir, n, 1.0 / (relative + indexStep)), r, relative + indexStep);
    vec3 red = 2.0 * green - blue;
    vec3 transmitted;
    transmitted.r = texture(environment, red).r;
    transmitted.g = texture(environment, green).g;
    transmitted.b = texture(environment, blue).b;
    transmitted *= mix(vec3(1.0), material.diffuse.rgb, tintAmount);
    vec3 reflected = texture(environment, reflect(dir, n)).rgb;

    float f0 = (relative - 1.0) / (relative + 1.0);
    f0 *= f0;
    float grazing = 1.0 - max(dot(n, v), 0.0);
    float grazing2 = grazing * grazing;
    float fresnel = f0 + (1.0 - f0) * grazing2 * grazing2 * grazing;

    vec3 toLight = light.position - worldPosition;
    float lightDistance = length(toLight);
    vec3 l = lightDistance > 1e-6 ? toLight / lightDistance : n;
    float d = max(lightDistance, max(light.radius, 1e-3));
    vec3 radiance = light.color * light.intensity
        / (1.0 + light.linearFalloff * d + light.quadraticFalloff * (d * d));
    vec3 halfway = l + v;
    vec3 h = dot(halfway, halfway) > 1e-12 ? normalize(halfway) : n;
    // The true lobe: a rational stand-in's long tail would spread it into a glow.
    float highlight = dot(n, l) > 0.0 ? pow(max(dot(n, h), 0.0), highlightExponent) : 0.0;

    vec3 color = mix(transmitted, reflected, fresnel) + radiance * highlight
        + material.emissive.rgb;
    fragColor = vec4(color, 1.0);
}
