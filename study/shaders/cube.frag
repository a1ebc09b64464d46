#version 430 core
// One face of a cube map as seen from its centre: the rectangle spans the face's 90
// degrees, `right` and `up` in the window's directions.

in vec2 uv;

layout(binding = 27) uniform samplerCube cubeMap;
uniform vec3 forward;
uniform vec3 right;
uniform vec3 up;

layout(location = 0) out vec4 fragColor;

void main() {
    vec2 across = uv * 2.0 - 1.0;
    fragColor = vec4(texture(cubeMap, forward + across.x * right + across.y * up).rgb, 1.0);
}
