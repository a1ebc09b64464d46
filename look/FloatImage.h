#pragma once
#include "math/MathTypes.h"

#include <vector>

namespace Quessel {

// Linear RGB texels, rows from the top down as image files store them.
struct FloatImage {
    int width = 0;
    int height = 0;
    std::vector<vec3> texels;

    const vec3& at(int x, int y) const { return texels[static_cast<size_t>(y) * width + x]; }
};

}  // namespace Quessel
