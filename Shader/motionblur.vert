#version 430 core
// Full-screen composite. The camera's motion between the two frames is folded
// into one matrix here, once per vertex instead of once per pixel.

in vec3 vpos;
in vec3 tex;  // s, t in .xy; the third component is not needed

layout(std140, binding = 1) uniform Matrices {
    mat4 projection;
    mat4 view;
    mat4 model;
} matrices;

layout(std140, binding = 4) uniform PreviousMatrices {
    mat4 projection;
    mat4 view;
    mat4 model;
} previous;

layout(binding = 0) uniform sampler2D colorBuffer;

out vec2 uv;
// Current normalised device coordinates to the previous frame's clip space.
flat out mat4 reprojection;
flat out vec2 targetSize;

void main() {
    uv = tex.xy;
    // previous.view * inverse(view) is the camera's own motion: near the identity,
    // so a still camera reprojects every pixel onto itself to float precision.
    mat4 cameraMotion = previous.view * inverse(matrices.view);
    reprojection = previous.projection * cameraMotion * inverse(matrices.projection);
    targetSize = vec2(textureSize(colorBuffer, 0));
    // Depth 0.5: the window's depth buffer is cleared to 1.0 and the test is GL_LESS.
    gl_Position = vec4(vpos.xy, 0.0, 1.0);
}
