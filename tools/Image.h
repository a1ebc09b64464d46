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

}  // namespace Quessel::SceneGen
