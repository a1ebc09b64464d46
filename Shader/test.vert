#version 430 core
// Scene surfaces: everything leaves here in world space, so lighting, the
// environment lookup and the camera all share one frame.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texCoord;
layout(location = 5) in vec3 tangent;
layout(location = 6) in vec3 bitangent;

layout(std140, binding = 1) uniform Matrices {
    mat4 projection;
    mat4 view;
    mat4 model;
} matrices;

out vec3 worldPosition;
out vec3 worldNormal;
// xyz: tangent; w: the bitangent's side of the normal-tangent plane (+1 or -1).
// One vec4 instead of two vec3s: every interpolant costs per pixel in software.
out vec4 worldTangent;
out vec2 uv;

void main() {
    vec4 world = matrices.model * vec4(position, 1.0);
    // The scene has no non-uniform scale, so mat3(model) keeps normals
    // perpendicular; the fragment shader renormalises.
    mat3 rotation = mat3(matrices.model);
    worldPosition = world.xyz;
    worldNormal = rotation * normal;
    // Meshes without tangents read (0,0,0) here; the fragment shader notices.
    // Mirrored texture coordinates flip the bitangent: keep the mesh's handedness.
    float handedness = dot(cross(normal, tangent), bitangent) < 0.0 ? -1.0 : 1.0;
    worldTangent = vec4(rotation * tangent, handedness);
    uv = texCoord;
    gl_Position = matrices.projection * matrices.view * world;
}
