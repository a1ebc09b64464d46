#version 430 core
// Sky box: a cube around the eye, turned with the view but never moved by it.

layout(location = 0) in vec3 position;

layout(std140, binding = 1) uniform Matrices {
    mat4 projection;
    mat4 view;
    mat4 model;
} matrices;

out vec3 direction;

void main() {
    direction = position;
    vec4 clip = matrices.projection * mat4(mat3(matrices.view)) * vec4(position, 1.0);
    // Just in front of the far plane: the depth test is GL_LESS against a clear of 1.0.
    gl_Position = vec4(clip.xy, clip.w * 0.99999, clip.w);
}
