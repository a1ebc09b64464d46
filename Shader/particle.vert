#version 430 core
// Smoke particles. "update" advances the state held in the feedback buffers
// (run with the rasterizer off); "render" turns the new state into point sprites.

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
const float bornSize = 0.15;
const float finalSize = 0.40;
const float maxPointSize = 40.0;  // pixels; large blended sprites are costly
const float minPointSize = 1.0;

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
    gl_Position = vec4(0.0);
}

subroutine(ParticlePass) void render() {
    Position = VertexPosition;
    Velocity = VertexVelocity;
    StartTime = VertexStartTime;
    float age = Time - VertexStartTime;
    if (age < 0.0) {
        // Unborn: outside the clip volume and invisible.
        ageFraction = -1.0;
        gl_PointSize = minPointSize;
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
        return;
    }
    ageFraction = clamp(age / ParticleLifetime, 0.0, 1.0);
    gl_Position = matrices.projection * matrices.view * vec4(VertexPosition, 1.0);
    // projection[1][1] is the cotangent of half the field of view; 384 is half the
    // target's height, which turns it into pixels per metre at one metre.
    float pixelsPerMetre = matrices.projection[1][1] * 384.0;
    float eyeDistance = max(length(VertexPosition - CameraPosition), 0.1);
    float diameter = mix(bornSize, finalSize, sqrt(ageFraction));
    gl_PointSize = clamp(pixelsPerMetre * diameter / eyeDistance, minPointSize, maxPointSize);
}

void main() {
    particlePass();
}
