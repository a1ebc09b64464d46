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
const float minStreak = 0.5;        // pixels; below this the pixel is shown unchanged

// Cost note: the software rasteriser runs every instruction on every pixel, branches and
// early exits included, so the blur is one straight path: the sharp pixel, two filtered
// taps along the streak, and a weight that fades the blur in from half a pixel of motion.

// Inverse of the packing in depth.frag. A red byte of 0 would mean geometry within
// half a millimetre of the near plane; in practice it is the target's clear colour,
// where nothing was drawn, so it reads as the far plane.
float windowDepth(ivec2 pixel) {
    uvec3 bytes = uvec3(texelFetch(depthBuffer, pixel, 0).rgb * 255.0 + 0.5);
    uint z = (bytes.r << 16u) | (bytes.g << 8u) | bytes.b;
    return bytes.r == 0u ? 1.0 : float(z) / 16777215.0;
}

void main() {
    ivec2 pixel = ivec2(gl_FragCoord.xy);
    vec4 ndc = vec4(uv * 2.0 - 1.0, windowDepth(pixel) * 2.0 - 1.0, 1.0);
    vec4 before = reprojection * ndc;

    // A point that was behind the previous camera has no usable screen path.
    bool tracked = before.w > 1e-6;
    vec2 moved = (ndc.xy - before.xy / (tracked ? before.w : 1.0)) * 0.5 * targetSize;
    vec2 velocity = tracked ? moved * clamp(fps / shutterRate, 0.0, maxShutterScale) : vec2(0.0);
    float streak = length(velocity);
    // NaN or infinite motion (a degenerate matrix) counts as none.
    bool usable = streak >= minStreak && streak < 1e6;
    velocity = usable ? velocity * (min(streak, maxStreak) / streak) : vec2(0.0);
    streak = usable ? min(streak, maxStreak) : 0.0;

    // Two taps a quarter of the streak either side of the pixel (centred, so a moving image
    // stays where it is drawn), each from the mip level whose texels span half the streak:
    // together they cover the streak without ghost copies.
    float lod = max(log2(max(streak, 1.0) * 0.5) - 0.5, 0.0);
    vec2 lo = 0.5 / targetSize;
    vec2 hi = 1.0 - lo;
    vec2 at = gl_FragCoord.xy / targetSize;
    vec2 reach = 0.25 * velocity / targetSize;
    vec3 blurred = 0.5 * (textureLod(colorBuffer, clamp(at - reach, lo, hi), lod).rgb
                        + textureLod(colorBuffer, clamp(at + reach, lo, hi), lod).rgb);
    vec3 sharp = texelFetch(colorBuffer, pixel, 0).rgb;
    float weight = clamp(streak - minStreak, 0.0, 1.0);
    // Blending is on for the whole run: alpha 1 keeps the composite opaque.
    fragColor = vec4(mix(sharp, blurred, weight), 1.0);
}
