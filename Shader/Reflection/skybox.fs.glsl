#version 430 core

in vec3 direction;

// Unit 26 is where the environment cube maps live.
layout(binding = 26) uniform samplerCube sky;

layout(location = 0) out vec4 fragColor;

void main() {
    fragColor = vec4(texture(sky, direction).rgb, 1.0);
}
