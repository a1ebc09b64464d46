#version 430 core
// Soft grey smoke puff: fades in quickly after birth and thins out with age.

in float ageFraction;

layout(binding = 0) uniform sampler2D ParticleTex;

layout(location = 0) out vec4 fragColor;

const vec3 smokeColor = vec3(0.78, 0.78, 0.80);
const float fadeIn = 0.04;      // of the lifetime
const float peakOpacity = 0.55;

void main() {
    if (ageFraction < 0.0) {
        discard;
    }
    vec4 sprite = texture(ParticleTex, gl_PointCoord);
    // A round falloff of its own keeps the puff soft even when the sprite is missing
    // (an empty texture samples as opaque black).
    float radius = length(gl_PointCoord - 0.5) * 2.0;
    float mask = 1.0 - smoothstep(0.6, 1.0, radius);
    float life = smoothstep(0.0, fadeIn, ageFraction) * pow(1.0 - ageFraction, 1.5);
    float alpha = peakOpacity * life * sprite.a * mask;
    if (alpha < 0.01) {
        discard;
    }
    // The sprite's shading varies the grey a little without darkening the smoke.
    fragColor = vec4(smokeColor * (0.8 + 0.2 * sprite.rgb), alpha);
}
