#version 430 core
// Required work of the glass sphere: one constant colour.
layout(std140, binding = 7) uniform Sphere { vec3 position; float radius; float log10Dispersion; } sphere;
layout(binding = 0) uniform samplerCube environment;
layout(location = 0) out vec4 fragColor;

void main() { fragColor = vec4(0.35, 0.6, 0.65, 1.0); }
