#version 430 core
// One triangle over the whole view at the far plane; each corner carries the world
// direction it looks along.
#include "matrices.glsl"

out vec3 direction;

void main() {
    vec2 corner = vec2((gl_VertexID & 1) * 4.0 - 1.0, (gl_VertexID & 2) * 2.0 - 1.0);
    vec4 seen = inverse(matrices.projection) * vec4(corner, 1.0, 1.0);
    direction = transpose(mat3(matrices.view)) * (seen.xyz / seen.w);
    gl_Position = vec4(corner, 1.0, 1.0);
}
