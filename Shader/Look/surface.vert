#version 430 core
// A brought scene's surfaces: everything leaves in world space, where the environment and
// the lights are.
#include "matrices.glsl"

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texCoord;
layout(location = 5) in vec3 tangent;
layout(location = 6) in vec3 bitangent;
layout(location = 7) in vec4 vertexColor;
layout(location = 8) in vec2 texCoord1;

out vec3 worldPosition;
out vec3 worldNormal;
out vec4 worldTangent;  // w: the bitangent's side
out vec4 uvs;           // both texture coordinate sets
out vec4 color;
flat out vec3 eye;

void main() {
    vec4 world = matrices.model * vec4(position, 1.0);
    mat3 m = mat3(matrices.model);
    // The cofactor matrix keeps normals perpendicular under scaling and shearing; its sign
    // keeps mirrored nodes' normals pointing out.
    mat3 cofactor = mat3(cross(m[1], m[2]), cross(m[2], m[0]), cross(m[0], m[1]));
    float mirrored = dot(m[0], cofactor[0]) < 0.0 ? -1.0 : 1.0;
    worldPosition = world.xyz;
    worldNormal = cofactor * normal * mirrored;
    vec3 t = m * tangent;
    worldTangent = vec4(t, dot(cross(worldNormal, t), m * bitangent) < 0.0 ? -1.0 : 1.0);
    uvs = vec4(texCoord, texCoord1);
    color = vertexColor;
    eye = eyePosition();
    gl_Position = matrices.projection * matrices.view * world;
}
