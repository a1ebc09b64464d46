#version 430 core
// Camera motion blur: every pixel is smeared along the screen path its world
// point took since the previous frame, as if the shutter were open for 1/60 s.

in vec2 uv;
flat in mat4 reprojection;
flat in vec2 targetSize;

uniform float fps;
layout(binding = 0) uniform sampler2D colorBuffer;  // full mip chain, rebuilt each frame
layout(binding = 2) uniform sampler2D depthBuffer;  // window depth packed into RGB

layout(location = 0) out vec4 fragColor;

const float shutterRate = 60.0;
const float maxShutterScale = 2.0;  // very high frame rates: do not stretch beyond 1/30 s of motion
const float maxStreak = 40.0;       // pixels
const float minStreak = 0.5;        // pixels; below this the pixel is copied unchanged
const float pixelsPerTap = 5.0;
const int maxTaps = 4;  // the mip level fills the spacing; more taps cost more than they show

// Inverse of the packing in depth.frag. A red byte of 0 would mean geometry within
// half a millimetre of the near plane; in practice it is the target's clear colour,
// where nothing was drawn, so it reads as the far plane.
float windowDepth(ivec2 pixel) {
    uvec3 bytes = uvec3(texelFetch(depthBuffer, pixel, 0).rgb * 255.0 + 0.5);
    if (bytes.r == 0u) {
        return 1.0;
    }
    uint z = (bytes.r << 16u) | (bytes.g << 8u) | bytes.b;
    return float(z) / 16777215.0;
}

void main() {
    ivec2 pixel = ivec2(gl_FragCoord.xy);
    vec4 ndc = vec4(uv * 2.0 - 1.0, windowDepth(pixel) * 2.0 - 1.0, 1.0);
    vec4 before = reprojection * ndc;

    vec2 velocity = vec2(0.0);
    // A point that was behind the previous camera has no usable screen path.
    if (before.w > 1e-6) {
        vec2 moved = (ndc.xy - before.xy / before.w) * 0.5 * targetSize;
        velocity = moved * clamp(fps / shutterRate, 0.0, maxShutterScale);
    }
    float streak = length(velocity);
    if (!(streak >= minStreak)) {
        fragColor = vec4(texelFetch(colorBuffer, pixel, 0).rgb, 1.0);
        return;
    }
    if (streak > maxStreak) {
        velocity *= maxStreak / streak;
        streak = maxStreak;
    }

    int taps = clamp(int(ceil(streak / pixelsPerTap)), 2, maxTaps);
    float spacing = streak / float(taps);
    // A coarser mip level fills the gaps between taps instead of leaving ghost copies.
    float lod = max(log2(spacing) - 0.5, 0.0);
    vec2 lo = 0.5 / targetSize;
    vec2 hi = 1.0 - lo;
    vec3 sum = vec3(0.0);
    for (int i = 0; i < taps; ++i) {
        // Centred on the pixel, so a moving image stays where it is drawn.
        float t = (float(i) + 0.5) / float(taps) - 0.5;
        vec2 at = clamp((gl_FragCoord.xy + velocity * t) / targetSize, lo, hi);
        sum += textureLod(colorBuffer, at, lod).rgb;
    }
    // Blending is on for the whole run: alpha 1 keeps the composite opaque.
    fragColor = vec4(sum / float(taps), 1.0);
}
