#version 430 core
// Required work of the scene program: one constant colour (alpha 1: blending stays on for
// the whole run). The samplers and uniforms the host sets are declared as in the demo's
// shader and left unused.
layout(binding = 0) uniform sampler2D tex;
layout(binding = 1) uniform sampler2D nmTex;
layout(binding = 26) uniform samplerCube environment;
uniform vec3 cameraPosition;
uniform vec3 cameraDirection;
layout(location = 0) out vec4 fragColor;

void main() { fragColor = vec4(0.62, 0.55, 0.45, 1.0); }
