#pragma once

// An image file decoded by SOIL to RGBA, rows in file order (top row first).

#include <SOIL/SOIL.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Quessel::Test {

struct DecodedImage {
    int width = 0, height = 0, channels = 0;  // channels: as stored in the file
    std::vector<uint8_t> rgba;

    explicit DecodedImage(const std::string& path) {
        unsigned char* data = SOIL_load_image(path.c_str(), &width, &height, &channels, SOIL_LOAD_RGBA);
        if (data) {
            rgba.assign(data, data + size_t(width) * height * 4);
            SOIL_free_image_data(data);
        }
    }

    bool valid() const { return !rgba.empty(); }
    const uint8_t* at(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
    double luminance(int x, int y) const {
        const uint8_t* p = at(x, y);
        return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
    }
};

}  // namespace Quessel::Test
