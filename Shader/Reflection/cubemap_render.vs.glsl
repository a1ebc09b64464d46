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
    // Inverse transpose (as the cofactor matrix, sign fixed for mirrored nodes).
    mat3 m = mat3(matrices.model);
    mat3 cofactor = mat3(cross(m[1], m[2]), cross(m[2], m[0]), cross(m[0], m[1]));
    worldNormal = cofactor * normal * (dot(m[0], cofactor[0]) < 0.0 ? -1.0 : 1.0);
    gl_Position = matrices.projection * matrices.view * matrices.model * vec4(position, 1.0);
}
