#version 430 core
// Window depth of the whole scene, for the motion-blur composite.

layout(location = 0) in vec3 position;

layout(std140, binding = 1) uniform Matrices {
    mat4 projection;
    mat4 view;
    mat4 model;
} matrices;

void main() {
    gl_Position = matrices.projection * matrices.view * matrices.model * vec4(position, 1.0);
}
