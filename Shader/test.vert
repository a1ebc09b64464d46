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
    mat3 m = mat3(matrices.model);
    // Normals go through the inverse transpose, so scaled and sheared nodes keep them
    // perpendicular to their surfaces. The cofactor matrix is that times the determinant;
    // its sign keeps mirrored nodes' normals pointing out.
    mat3 cofactor = mat3(cross(m[1], m[2]), cross(m[2], m[0]), cross(m[0], m[1]));
    float mirrored = dot(m[0], cofactor[0]) < 0.0 ? -1.0 : 1.0;
    worldPosition = world.xyz;
    worldNormal = cofactor * normal * mirrored;
    // Tangent and bitangent lie in the surface and move with it. Their handedness is read
    // in world space, so textures mirrored in the mesh and mirrored nodes both come out
    // right. Meshes without tangents read (0,0,0) here; the fragment shader notices.
    vec3 t = m * tangent;
    float handedness = dot(cross(worldNormal, t), m * bitangent) < 0.0 ? -1.0 : 1.0;
    worldTangent = vec4(t, handedness);
    uv = texCoord;
    gl_Position = matrices.projection * matrices.view * world;
}
