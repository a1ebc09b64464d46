#version 430 core
// Required work of the composite: one texelFetch of the colour target per pixel.
uniform float fps;
layout(binding = 0) uniform sampler2D colorBuffer;
layout(binding = 2) uniform sampler2D depthBuffer;
layout(location = 0) out vec4 fragColor;

void main() { fragColor = vec4(texelFetch(colorBuffer, ivec2(gl_FragCoord.xy), 0).rgb, 1.0); }
