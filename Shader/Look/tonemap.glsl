// Linear light to the 8-bit colour target: exposure, the filmic curve web viewers use
// (Hill's fit of ACES), sRGB encoding. ToneCurve on the C++ side computes the same.
vec3 filmic(vec3 color, float exposure) {
    // Rows of the fit's matrices; v * M multiplies by the matrix as written.
    const mat3 inputRows = mat3(0.59719, 0.35458, 0.04823, 0.07600, 0.90834, 0.01566, 0.02840, 0.13383, 0.83777);
    const mat3 outputRows = mat3(1.60475, -0.53108, -0.07367, -0.10208, 1.10813, -0.00605, -0.00327, -0.07276, 1.07602);
    vec3 v = (color * (exposure / 0.6)) * inputRows;
    v = (v * (v + 0.0245786) - 0.000090537) / (v * (0.983729 * v + 0.4329510) + 0.238081);
    return clamp(v * outputRows, 0.0, 1.0);
}

vec3 encodeSrgb(vec3 c) {
    return mix(12.92 * c, 1.055 * pow(c, vec3(1.0 / 2.4)) - 0.055, step(vec3(0.0031308), c));
}

vec3 displayColor(vec3 linear, float exposure) {
    return encodeSrgb(filmic(linear, exposure));
}
