#include "look/PanoramaEnvironment.h"

#include "look/PanoramaFile.h"

#include <algorithm>
#include <cmath>

namespace Quessel {

PanoramaEnvironment::PanoramaEnvironment(FloatImage image, std::string file)
    : image(std::move(image)), file(std::move(file)) {}

std::unique_ptr<PanoramaEnvironment> PanoramaEnvironment::load(const std::string& path, std::string& error) {
    std::optional<FloatImage> read = PanoramaFile::read(path, error);
    if (!read) return nullptr;
    return std::make_unique<PanoramaEnvironment>(std::move(*read), path);
}

vec3 PanoramaEnvironment::radiance(const vec3& direction) const {
    constexpr float Pi = 3.14159265f;
    const float u = 0.5f + std::atan2(direction.x, -direction.z) / (2.0f * Pi);
    const float v = std::acos(std::clamp(direction.y, -1.0f, 1.0f)) / Pi;
    // Texel centres sit at half-integers.
    const float x = u * image.width - 0.5f;
    const float y = std::clamp(v * image.height - 0.5f, 0.0f, static_cast<float>(image.height - 1));
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const float fx = x - x0;
    const float fy = y - y0;
    const auto column = [&](int c) { return ((c % image.width) + image.width) % image.width; };
    const int y1 = std::min(y0 + 1, image.height - 1);
    const vec3 top = glm::mix(image.at(column(x0), y0), image.at(column(x0 + 1), y0), fx);
    const vec3 bottom = glm::mix(image.at(column(x0), y1), image.at(column(x0 + 1), y1), fx);
    return glm::mix(top, bottom, fy);
}

int PanoramaEnvironment::faceSize() const {
    int size = 64;
    while (size < 512 && size * 2 <= image.width / 4) size *= 2;
    return size;
}

}  // namespace Quessel
