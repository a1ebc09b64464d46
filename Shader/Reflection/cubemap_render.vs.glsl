#version 430 core
// Shows a cube map on any mesh, looked up by the mesh's world-space normal.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

layout(std140, binding = 1) uniform Matrices {
    mat4 projection;
    mat4 view;
    mat4 model;
} matrices;

out vec3 worldNormal;

void main() {
    worldNormal = mat3(matrices.model) * normal;
    gl_Position = matrices.projection * matrices.view * matrices.model * vec4(position, 1.0);
}
