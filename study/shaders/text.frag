#version 430 core
// Coverage from the font atlas (one channel) times the vertex colour.

in vec2 atlasCoord;
in vec4 tint;

layout(binding = 27) uniform sampler2D atlas;

layout(location = 0) out vec4 fragColor;

void main() {
    fragColor = vec4(tint.rgb, tint.a * texture(atlas, atlasCoord).r);
}
