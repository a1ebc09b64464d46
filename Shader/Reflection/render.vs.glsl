#version 430 core
// Plain textured mesh.

layout(location = 0) in vec3 position;
layout(location = 2) in vec2 texCoord;

layout(std140, binding = 1) uniform Matrices {
    mat4 projection;
    mat4 view;
    mat4 model;
} matrices;

out vec2 uv;

void main() {
    uv = texCoord;
    gl_Position = matrices.projection * matrices.view * matrices.model * vec4(position, 1.0);
}
