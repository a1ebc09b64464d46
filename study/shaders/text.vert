#version 430 core
// Label glyphs and their boxes, in window pixels from the top left as the font lays them
// out.

layout(location = 0) in vec2 pixel;
layout(location = 1) in vec2 texCoord;
layout(location = 2) in vec4 colour;

uniform vec2 windowSize;

out vec2 atlasCoord;
out vec4 tint;

void main() {
    atlasCoord = texCoord;
    tint = colour;
    vec2 ndc = pixel / windowSize * 2.0 - 1.0;
    gl_Position = vec4(ndc.x, -ndc.y, 0.0, 1.0);
}
