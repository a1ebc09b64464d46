#version 430 core
// Required work of the mirror spheres: one constant colour.
layout(binding = 0) uniform samplerCube environment;
layout(location = 0) out vec4 fragColor;

void main() { fragColor = vec4(0.75, 0.78, 0.82, 1.0); }
