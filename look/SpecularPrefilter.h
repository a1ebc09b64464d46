#pragma once
#include "look/CubeImage.h"

#include <vector>

namespace Quessel {

// The environment as glossy surfaces reflect it, one cube map level per roughness: level l
// of n holds roughness l / (n - 1), from a mirror (level 0, the radiance itself) to fully
// rough (the last, 4 x 4). Each texel is the GGX lobe around its direction (normal, view
// and reflection taken as one, as the split-sum approximation does) integrated by
// importance sampling, each sample read from the radiance's mipmap level that matches its
// share of the lobe, so that few samples give a smooth result.
class SpecularPrefilter {
public:
    static constexpr int SmallestSize = 4;

    // Levels from `baseSize` (a power of two, at most the radiance's size) down to 4; the
    // first filtered level takes `samples` a texel, each further one twice as many (at most
    // 1024).
    static std::vector<CubeImage> levels(const CubeImage& radiance, int baseSize, int samples = 64);
    static float roughness(int level, int levelCount);
    // GGX's normal distribution for alpha = roughness squared.
    static float distribution(float nDotH, float roughness);
};

}  // namespace Quessel
