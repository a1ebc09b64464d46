#version 430 core
// A rectangle of the window (in pixels, from the lower left) from four vertices of no
// buffer; uv runs from 0 to 1 across it.

uniform vec4 rectangle;  // x, y, width, height
uniform vec2 windowSize;

out vec2 uv;

void main() {
    uv = vec2(gl_VertexID & 1, gl_VertexID >> 1);
    vec2 pixel = rectangle.xy + uv * rectangle.zw;
    gl_Position = vec4(pixel / windowSize * 2.0 - 1.0, 0.0, 1.0);
}
