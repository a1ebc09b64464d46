#include "Image.h"

#include <glm/common.hpp>
#include <glm/geometric.hpp>

#include <cmath>

namespace Quessel::SceneGen {

namespace {

uint8_t toByte(double v) { return static_cast<uint8_t>(std::lround(glm::clamp(v, 0.0, 1.0) * 255.0)); }

}  // namespace

Image::Image(int width, int height, int channels)
    : width_(width), height_(height), channels_(channels), bytes_(size_t(width) * height * channels) {}

void Image::set(int x, int y, const glm::dvec3& rgb, double alpha) {
    uint8_t* p = &bytes_[(size_t(y) * width_ + x) * channels_];
    p[0] = toByte(rgb.x);
    p[1] = toByte(rgb.y);
    p[2] = toByte(rgb.z);
    if (channels_ == 4) p[3] = toByte(alpha);
}

double HeightField::wrapped(int x, int y) const {
    x = ((x % width_) + width_) % width_;
    y = ((y % height_) + height_) % height_;
    return values_[size_t(y) * width_ + x];
}

Image normalMapFromHeight(const HeightField& height, double strength) {
    Image image(height.width(), height.height(), 3);
    for (int y = 0; y < height.height(); ++y)
        for (int x = 0; x < height.width(); ++x) {
            double du = (height.wrapped(x + 1, y) - height.wrapped(x - 1, y)) * 0.5;
            // Rows run downwards while v runs upwards.
            double dv = (height.wrapped(x, y - 1) - height.wrapped(x, y + 1)) * 0.5;
            glm::dvec3 n = glm::normalize(glm::dvec3(-du * strength, -dv * strength, 1.0));
            image.set(x, y, n * 0.5 + 0.5);
        }
    return image;
}

}  // namespace Quessel::SceneGen
