#version 430 core

in vec3 worldNormal;

// Unit 26 is where the environment cube maps live.
layout(binding = 26) uniform samplerCube cubeMap;

layout(location = 0) out vec4 fragColor;

void main() {
    fragColor = vec4(texture(cubeMap, normalize(worldNormal)).rgb, 1.0);
}
