#version 430 core
// Glass sphere: world-space position and normal, the eye taken from the view, and
// the node's scale so that the fragment shader knows the sphere's size in metres.

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
flat out float modelScale;

void main() {
    vec4 world = matrices.model * vec4(position, 1.0);
    worldPosition = world.xyz;
    worldNormal = mat3(matrices.model) * normal;
    // Every view here is a look-at, so inverse(view)[3] is -transpose(R) * t.
    eyePosition = -(transpose(mat3(matrices.view)) * matrices.view[3].xyz);
    // Uniform scale: the length of any model axis.
    modelScale = length(matrices.model[0].xyz);
    gl_Position = matrices.projection * matrices.view * world;
}
