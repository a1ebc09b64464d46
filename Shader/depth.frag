#version 430 core
// Packs the 24-bit window depth into the RGB8 target: red the high byte, blue the
// low one. The composite reads it back with texelFetch and gets the exact value.

layout(location = 0) out vec4 fragColor;

void main() {
    uint z = uint(clamp(gl_FragCoord.z, 0.0, 1.0) * 16777215.0 + 0.5);
    uvec3 bytes = uvec3(z >> 16u, z >> 8u, z) & 0xFFu;
    // Alpha 1: blending is on for the whole run and must not touch the code.
    fragColor = vec4(vec3(bytes) / 255.0, 1.0);
}
