// The demo's matrices, written by whichever pass draws (the main pass, a cube-map face).
layout(std140, binding = 1) uniform Matrices {
    mat4 projection;
    mat4 view;
    mat4 model;
} matrices;

// Every view here is rigid (a rotation and a translation): its inverse needs no general
// inverse.
vec3 eyePosition() {
    return -(transpose(mat3(matrices.view)) * matrices.view[3].xyz);
}
