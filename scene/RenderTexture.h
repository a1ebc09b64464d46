#pragma once
#include <cstdint>

namespace Quessel {

// A texture pair (colour and depth) on a texture unit: one cube face or a whole cube map.
struct RenderTexture {
    int32_t unit = 0;
    int32_t color = 0;
    int32_t depth = 0;
    int32_t width = 512;
    int32_t height = 512;
};

}  // namespace Quessel
