#version 430 core
// Required work of the depth program: one constant colour.
layout(location = 0) out vec4 fragColor;

void main() { fragColor = vec4(0.5, 0.5, 0.5, 1.0); }
