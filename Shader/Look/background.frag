#version 430 core
// Behind a brought scene: its environment, tone-mapped as the surfaces are, or a plain
// colour shown as given.
#include "lighting.glsl"
#include "tonemap.glsl"

in vec3 direction;

layout(binding = 14) uniform samplerCube radianceMap;
// 0: the environment; 1: `plainColor`, already encoded for display.
uniform int mode;
uniform vec3 plainColor;

layout(location = 0) out vec4 fragColor;

void main() {
    vec3 shown = mode == 0 ? displayColor(texture(radianceMap, direction).rgb, lighting.exposure) : plainColor;
    fragColor = vec4(shown, 1.0);
}
