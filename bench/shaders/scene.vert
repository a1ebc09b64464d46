#version 430 core
// Required work of the scene, sphere and depth programs: the same vertex inputs and
// "Matrices" block as theirs, nothing computed beyond the position.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texCoord;
layout(location = 5) in vec3 tangent;
layout(location = 6) in vec3 bitangent;
layout(std140, binding = 1) uniform Matrices { mat4 projection; mat4 view; mat4 model; } matrices;

void main() { gl_Position = matrices.projection * matrices.view * matrices.model * vec4(position, 1.0); }
