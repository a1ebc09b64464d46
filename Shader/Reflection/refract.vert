#version 430 core
// Glass sphere: the fragment shader traces the view ray through the true sphere in the
// node's own frame, where any node scale leaves it a sphere, so it gets the position in
// that frame, the mesh's radius there, and the transforms between the frames.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

layout(std140, binding = 1) uniform Matrices {
    mat4 projection;
    mat4 view;
    mat4 model;
} matrices;

// The host writes (centre, 1.0, -2.0).
layout(std140, binding = 7) uniform Sphere {
    vec3 position;          // world position of the centre (the node's origin)
    float outsideIndex;     // 1.0: refractive index of the medium around the sphere
    float log10Dispersion;  // -2.0: index step between red, green and blue is 10^-2 = 0.01
} sphere;

out vec3 worldPosition;
out vec3 objectPosition;
// Distance of the mesh from the centre: the sphere's radius in the node's frame.
out float objectRadius;
flat out vec3 eyePosition;
flat out vec3 objectEye;
flat out vec3 objectCentre;
flat out mat3 worldToObject;

void main() {
    vec4 world = matrices.model * vec4(position, 1.0);
    worldPosition = world.xyz;
    mat3 toObject = inverse(mat3(matrices.model));
    vec3 origin = matrices.model[3].xyz;
    // Every view here is a look-at, so inverse(view)[3] is -transpose(R) * t.
    vec3 eye = -(transpose(mat3(matrices.view)) * matrices.view[3].xyz);
    objectPosition = position;
    objectCentre = toObject * (sphere.position - origin);
    objectRadius = length(position - objectCentre);
    eyePosition = eye;
    objectEye = toObject * (eye - origin);
    worldToObject = toObject;
    gl_Position = matrices.projection * matrices.view * world;
}
