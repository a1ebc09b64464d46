#include "Image.h"

#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/vec4.hpp>

namespace Quessel::SceneGen {

Image::Image(int width, int height, int channels)
    : width_(width), height_(height), channels_(channels), bytes_(size_t(width) * height * channels) {}

void Image::set(int x, int y, const glm::dvec3& rgb, double alpha) {
    const glm::dvec4 levels = glm::round(glm::clamp(glm::dvec4(rgb, alpha), 0.0, 1.0) * 255.0);
    for (int i = 0; i < channels_; ++i) bytes_[(size_t(y) * width_ + x) * channels_ + i] = uint8_t(levels[i]);
}

double HeightField::wrapped(int x, int y) const {
    return values_[size_t((y % height_ + height_) % height_) * width_ + (x % width_ + width_) % width_];
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
