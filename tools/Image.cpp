#include "Image.h"

#include <glm/common.hpp>
#include <glm/vec4.hpp>

namespace Quessel::SceneGen {

Image::Image(int width, int height, int channels)
    : width_(width), height_(height), channels_(channels), bytes_(size_t(width) * height * channels) {}

void Image::set(int x, int y, const glm::dvec3& rgb, double alpha) {
    const glm::dvec4 levels = glm::round(glm::clamp(glm::dvec4(rgb, alpha), 0.0, 1.0) * 255.0);
    for (int i = 0; i < channels_; ++i) bytes_[(size_t(y) * width_ + x) * channels_ + i] = uint8_t(levels[i]);
}

}  // namespace Quessel::SceneGen
