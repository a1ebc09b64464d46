#pragma once

#include <glm/vec3.hpp>

#include <cstdint>
#include <vector>

namespace Quessel::SceneGen {

// 8-bit RGB or RGBA pixels; row 0 is the top row as the picture is viewed.
class Image {
public:
    Image(int width, int height, int channels);

    int width() const { return width_; }
    int height() const { return height_; }
    int channels() const { return channels_; }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

    void set(int x, int y, const glm::dvec3& rgb, double alpha = 1.0);

private:
    int width_, height_, channels_;
    std::vector<uint8_t> bytes_;
};

// Scalar field over a tileable texture, same row order as Image.
class HeightField {
public:
    HeightField(int width, int height) : width_(width), height_(height), values_(size_t(width) * height) {}

    int width() const { return width_; }
    int height() const { return height_; }
    double& at(int x, int y) { return values_[size_t(y) * width_ + x]; }
    // Wraps around both edges, as the texture repeats.
    double wrapped(int x, int y) const;

private:
    int width_, height_;
    std::vector<double> values_;
};

// Tangent-space normal map of a tileable height field: rgb = n * 0.5 + 0.5, +Z out of the
// surface, +X towards increasing u, +Y towards increasing v (up the picture).
Image normalMapFromHeight(const HeightField& height, double strength);

}  // namespace Quessel::SceneGen
