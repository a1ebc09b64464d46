#version 430 core

in vec2 uv;

layout(binding = 0) uniform sampler2D tex;

layout(location = 0) out vec4 fragColor;

void main() {
    fragColor = vec4(texture(tex, uv).rgb, 1.0);
}
