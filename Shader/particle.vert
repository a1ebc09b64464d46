#version 430 core
// Smoke particles. "update" advances the state held in the feedback buffers
// (run with the rasterizer off); "render" turns the new state into point sprites
// that grow, spread and thin out with age, so the column reads as a widening plume.

subroutine void ParticlePass();
subroutine uniform ParticlePass particlePass;

layout(location = 0) in vec3 VertexPosition;
layout(location = 1) in vec3 VertexVelocity;
layout(location = 2) in float VertexStartTime;
layout(location = 3) in vec3 VertexInitialVelocity;
layout(location = 4) in vec3 VertexInitialPosition;

// Captured by transform feedback in this order, one buffer each.
out vec3 Position;
out vec3 Velocity;
out float StartTime;
// 0 at birth, 1 at the end of the particle's life; negative before birth.
out float ageFraction;
// Per puff: grey level, peak opacity, and the sprite's rotation as (cos, sin).
flat out float shade;
flat out float opacity;
flat out vec2 spin;

layout(std140, binding = 1) uniform Matrices {
    mat4 projection;
    mat4 view;
    mat4 model;  // not valid during the particle pass
} matrices;

uniform vec3 Accel;
uniform float ParticleLifetime;
uniform float Time;
uniform float H;
uniform vec3 CameraPosition;

// Sprite diameter in metres, from birth to the end of life.
const float bornSize = 0.3;
const float finalSize = 2.5;
// Large blended sprites are costly in software GL: about 13 ms per 1000 at 48 px.
const float maxPointSize = 64.0;
const float minPointSize = 1.0;
// Sideways dispersion at the end of life, in metres: outward along the puff's own
// launch direction (so the column widens into a cone) and downwind along +x.
const float spreadRadius = 2.2;
const vec3 windDrift = vec3(0.9, 0.0, 0.25);
const float wobble = 0.2;
// Opacity of a puff once every particle is born (up to 1000 overlap near the flue).
const float steadyOpacity = 0.4;
// The emitter releases its particles 0.1 s apart, all 1000 only after 100 s; until then
// fewer puffs make up the plume, and each is denser so the plume keeps its look.
const float fullEmissionTime = 100.0;
const float maxOpacityBoost = 4.0;
const float fadeIn = 0.03;  // of the lifetime

// Deterministic per-particle numbers in [0, 1) from its never-rewritten launch data.
float hash(vec3 seed) {
    return fract(sin(dot(seed, vec3(12.9898, 78.233, 37.719))) * 43758.5453);
}

subroutine(ParticlePass) void update() {
    Position = VertexPosition;
    Velocity = VertexVelocity;
    StartTime = VertexStartTime;
    float age = Time - VertexStartTime;
    if (age > ParticleLifetime) {
        Position = VertexInitialPosition;
        Velocity = VertexInitialVelocity;
        StartTime = Time;
    } else if (age >= 0.0) {
        // A particle born during this step has lived only part of it.
        float h = min(H, age);
        Velocity += Accel * h;
        Position += Velocity * h;
    }
    ageFraction = 0.0;
    shade = 0.0;
    opacity = 0.0;
    spin = vec2(1.0, 0.0);
    gl_Position = vec4(0.0);
}

// Where the puff is drawn: the simulated position plus turbulent spreading. The
// spreading is a function of age alone, so it restarts with the particle and the
// captured state stays the plain motion under "Accel".
vec3 dispersed(vec3 position, float life, float age, float seed) {
    float speed = max(length(VertexInitialVelocity), 1e-6);
    // sin of the launch angle from +Y times its direction: 0 on the axis, up to 0.87.
    vec2 outward = VertexInitialVelocity.xz / speed;
    float growth = pow(life, 1.6);
    vec3 offset = vec3(outward.x, 0.0, outward.y) * spreadRadius * growth + windDrift * life * life;
    float phase = seed * 6.2831853;
    offset += wobble * life * vec3(sin(0.9 * age + phase), 0.0, cos(0.7 * age + 2.0 * phase));
    return position + offset;
}

// Young puffs crowd above the flue (they rise at 0.05 m/s at first), so a puff's opacity
// grows with its rise speed, which keeps the column even; towards the end of life it fades out.
float puffOpacity(float life) {
    float bornShare = clamp(Time / fullEmissionTime, 0.0, 1.0);
    float boost = min(1.0 / max(bornShare, 1e-3), maxOpacityBoost);
    float riseSpeed = 0.15 + 0.85 * life;
    float fade = smoothstep(0.0, fadeIn, life) * pow(1.0 - life * life, 1.5);
    return min(steadyOpacity * boost * riseSpeed * fade, 1.0);
}

subroutine(ParticlePass) void render() {
    Position = VertexPosition;
    Velocity = VertexVelocity;
    StartTime = VertexStartTime;
    float seed = hash(VertexInitialVelocity * 100.0);
    float age = Time - VertexStartTime;
    if (age < 0.0) {
        // Unborn: outside the clip volume and invisible.
        ageFraction = -1.0;
        shade = 0.0;
        opacity = 0.0;
        spin = vec2(1.0, 0.0);
        gl_PointSize = minPointSize;
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
        return;
    }
    ageFraction = clamp(age / ParticleLifetime, 0.0, 1.0);
    shade = hash(VertexInitialVelocity * 317.0 + 1.0);
    opacity = puffOpacity(ageFraction);
    // Each puff turns slowly from its own start angle so the one sprite never repeats.
    float angle = seed * 6.2831853 + (seed - 0.5) * 0.6 * age;
    spin = vec2(cos(angle), sin(angle));

    vec3 world = dispersed(VertexPosition, ageFraction, age, seed);
    gl_Position = matrices.projection * matrices.view * vec4(world, 1.0);
    // projection[1][1] is the cotangent of half the field of view; 384 is half the
    // target's height, which turns it into pixels per metre at one metre.
    float pixelsPerMetre = matrices.projection[1][1] * 384.0;
    float eyeDistance = max(length(world - CameraPosition), 0.1);
    // The rise speeds up with age: growing faster than linearly keeps the width in step
    // with the height, a cone rather than a ball at the flue.
    float diameter = mix(bornSize, finalSize, pow(ageFraction, 1.3));
    gl_PointSize = clamp(pixelsPerMetre * diameter / eyeDistance, minPointSize, maxPointSize);
}

void main() {
    particlePass();
}
