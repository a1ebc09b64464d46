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
    // Inverse transpose as the cofactor matrix, its sign fixed for mirrored nodes: scaled
    // spheres (ellipsoids) keep normals perpendicular to their surface.
    mat3 m = mat3(matrices.model);
    mat3 cofactor = mat3(cross(m[1], m[2]), cross(m[2], m[0]), cross(m[0], m[1]));
    worldNormal = cofactor * normal * (dot(m[0], cofactor[0]) < 0.0 ? -1.0 : 1.0);
    // Every view here is a look-at (a rotation and a translation), so inverse(view)[3]
    // is -transpose(R) * t: no general inverse per vertex.
    eyePosition = -(transpose(mat3(matrices.view)) * matrices.view[3].xyz);
    gl_Position = matrices.projection * matrices.view * world;
}
