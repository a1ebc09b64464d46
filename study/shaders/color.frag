#version 430 core
// The colour target as the main, reflect, refract and particle passes left it: level 0,
// texel for pixel (the composite has since built mipmaps on it).

layout(binding = 27) uniform sampler2D target;

layout(location = 0) out vec4 fragColor;

void main() {
    fragColor = vec4(texelFetch(target, ivec2(gl_FragCoord.xy), 0).rgb, 1.0);
}
