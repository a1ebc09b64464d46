#version 430 core
// The depth target shown as distance: the 24-bit window depth the depth pass packs into
// red (high byte), green and blue is decoded, turned back into metres with the camera's
// projection, and shown as a grey that darkens with distance: white at `nearest`, black
// at `farthest` and beyond, logarithmic in between so near and far detail both show.

layout(binding = 27) uniform sampler2D target;
uniform vec2 projectionDepth;  // projection[2][2], projection[3][2]
uniform float nearest;
uniform float farthest;

layout(location = 0) out vec4 fragColor;

void main() {
    uvec3 bytes = uvec3(texelFetch(target, ivec2(gl_FragCoord.xy), 0).rgb * 255.0 + 0.5);
    float depth = float((bytes.r << 16u) | (bytes.g << 8u) | bytes.b) / 16777215.0;
    // A red byte of 0 is the clear colour (nothing drawn), as the composite reads it.
    float ndc = bytes.r == 0u ? 1.0 : depth * 2.0 - 1.0;
    float metres = projectionDepth.y / (ndc + projectionDepth.x);
    float ramp = clamp(log(metres / nearest) / log(farthest / nearest), 0.0, 1.0);
    fragColor = vec4(vec3(1.0 - ramp), 1.0);
}
