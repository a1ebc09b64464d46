#version 430 core
// Soft grey smoke puff: dense and darker as it leaves the flue, lighter and thinner
// as it grows, gone by the end of its life.

in float ageFraction;
flat in float shade;
flat in float opacity;
flat in vec2 spin;

layout(binding = 0) uniform sampler2D ParticleTex;

layout(location = 0) out vec4 fragColor;

const vec3 freshSmoke = vec3(0.38, 0.37, 0.36);
const vec3 agedSmoke = vec3(0.72, 0.72, 0.73);

void main() {
    if (ageFraction < 0.0) {
        discard;
    }
    vec2 centred = gl_PointCoord - 0.5;
    vec2 turned = vec2(spin.x * centred.x - spin.y * centred.y, spin.y * centred.x + spin.x * centred.y);
    vec4 sprite = texture(ParticleTex, turned + 0.5);
    // A round falloff of its own keeps the puff soft even when the sprite is missing
    // (an empty texture samples as opaque black), and hides the turned square's corners.
    float radius = length(centred) * 2.0;
    float mask = 1.0 - smoothstep(0.6, 1.0, radius);
    float alpha = opacity * sprite.a * mask;
    if (alpha < 0.01) {
        discard;
    }
    vec3 grey = mix(freshSmoke, agedSmoke, smoothstep(0.0, 0.45, ageFraction));
    // Some puffs darker than others; the sprite's own shading adds the billows.
    grey *= mix(0.7, 1.1, shade) * (0.7 + 0.35 * sprite.r);
    fragColor = vec4(min(grey, vec3(1.0)), alpha);
}
