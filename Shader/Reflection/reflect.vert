#version 430 core
// Mirror spheres: world-space position and normal, and the eye taken from the view.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

layout(std140, binding = 1) uniform Matrices {
    mat4 projection;
    mat4 view;
    mat4 model;
} matrices;

out vec3 worldPosition;
out vec3 worldNormal;
flat out vec3 eyePosition;

void main() {
    vec4 world = matrices.model * vec4(position, 1.0);
    worldPosition = world.xyz;
    worldNormal = mat3(matrices.model) * normal;
    // Every view here is a look-at (a rotation and a translation), so inverse(view)[3]
    // is -transpose(R) * t: no general inverse per vertex.
    eyePosition = -(transpose(mat3(matrices.view)) * matrices.view[3].xyz);
    gl_Position = matrices.projection * matrices.view * world;
}
