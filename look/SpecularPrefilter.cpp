#include "look/SpecularPrefilter.h"

#include <algorithm>
#include <cmath>

namespace Quessel {

namespace {

constexpr float Pi = 3.14159265f;

float radicalInverse(unsigned bits) {
    bits = (bits << 16u) | (bits >> 16u);
    bits = ((bits & 0x55555555u) << 1u) | ((bits & 0xAAAAAAAAu) >> 1u);
    bits = ((bits & 0x33333333u) << 2u) | ((bits & 0xCCCCCCCCu) >> 2u);
    bits = ((bits & 0x0F0F0F0Fu) << 4u) | ((bits & 0xF0F0F0F0u) >> 4u);
    bits = ((bits & 0x00FF00FFu) << 8u) | ((bits & 0xFF00FF00u) >> 8u);
    return static_cast<float>(bits) * 2.3283064365386963e-10f;
}

// The radiance's mipmap chain, read at a fractional level.
struct Chain {
    std::vector<CubeImage> levels;

    vec3 sample(const vec3& direction, float level) const {
        const float top = static_cast<float>(levels.size() - 1);
        level = std::clamp(level, 0.0f, top);
        const int lower = static_cast<int>(level);
        const int upper = std::min(lower + 1, static_cast<int>(top));
        const float f = level - lower;
        const vec3 a = levels[lower].sample(direction);
        return f > 0.0f ? glm::mix(a, levels[upper].sample(direction), f) : a;
    }
};

// One direction of the lobe around +Z (normal, view and reflection all +Z), its weight and
// the radiance level that matches its share of the lobe: the same for every texel.
struct LobeSample {
    vec3 direction;
    float nDotL;
    float level;
};

std::vector<LobeSample> lobeSamples(float roughness, int samples, int baseSize) {
    const float alpha = roughness * roughness;
    const float texelAngle = 4.0f * Pi / (6.0f * baseSize * baseSize);
    std::vector<LobeSample> lobe;
    for (int i = 0; i < samples; ++i) {
        const float u = (static_cast<float>(i) + 0.5f) / samples;
        const float phi = 2.0f * Pi * radicalInverse(static_cast<unsigned>(i));
        const float cosTheta = std::sqrt((1.0f - u) / (1.0f + (alpha * alpha - 1.0f) * u));
        const float sinTheta = std::sqrt(std::max(0.0f, 1.0f - cosTheta * cosTheta));
        const vec3 h(sinTheta * std::cos(phi), sinTheta * std::sin(phi), cosTheta);
        const vec3 l = 2.0f * h.z * h - vec3(0.0f, 0.0f, 1.0f);
        if (l.z <= 0.0f) continue;
        // With n = v the sample's density over directions is D / 4.
        const float density = SpecularPrefilter::distribution(cosTheta, roughness) / 4.0f;
        const float sampleAngle = 1.0f / (samples * density + 1e-6f);
        lobe.push_back({l, l.z, 0.5f * std::log2(sampleAngle / texelAngle)});
    }
    return lobe;
}

vec3 filtered(const Chain& chain, const vec3& n, const std::vector<LobeSample>& lobe) {
    // Any tangent frame around n will do.
    const vec3 up = std::abs(n.z) < 0.999f ? vec3(0, 0, 1) : vec3(1, 0, 0);
    const vec3 tx = glm::normalize(glm::cross(up, n));
    const vec3 ty = glm::cross(n, tx);
    vec3 sum(0.0f);
    float weight = 0.0f;
    for (const LobeSample& sample : lobe) {
        const vec3 l = tx * sample.direction.x + ty * sample.direction.y + n * sample.direction.z;
        sum += chain.sample(l, sample.level) * sample.nDotL;
        weight += sample.nDotL;
    }
    return weight > 0.0f ? sum / weight : chain.levels.front().sample(n);
}

}  // namespace

float SpecularPrefilter::roughness(int level, int levelCount) {
    return levelCount > 1 ? static_cast<float>(level) / static_cast<float>(levelCount - 1) : 0.0f;
}

float SpecularPrefilter::distribution(float nDotH, float roughness) {
    const float a2 = std::max(roughness * roughness * roughness * roughness, 1e-8f);
    const float d = nDotH * nDotH * (a2 - 1.0f) + 1.0f;
    return a2 / (Pi * d * d);
}

std::vector<CubeImage> SpecularPrefilter::levels(const CubeImage& radiance, int baseSize, int samples) {
    Chain chain;
    chain.levels.push_back(radiance);
    while (chain.levels.back().size > baseSize) chain.levels.push_back(chain.levels.back().halved());
    // The chain now starts at the base size; mirrors read it directly.
    chain.levels.erase(chain.levels.begin(), chain.levels.end() - 1);
    while (chain.levels.back().size > 1) chain.levels.push_back(chain.levels.back().halved());

    std::vector<CubeImage> result;
    int count = 0;
    for (int size = chain.levels.front().size; size >= SmallestSize; size /= 2) ++count;
    result.push_back(chain.levels.front());
    for (int level = 1; level < count; ++level) {
        CubeImage cube(chain.levels.front().size >> level);
        // Wider lobes need more samples to lose their noise; their levels have fewer texels.
        const std::vector<LobeSample> lobe =
            lobeSamples(roughness(level, count), std::min(samples << (level - 1), 1024), chain.levels.front().size);
        for (int face = 0; face < 6; ++face)
            for (int y = 0; y < cube.size; ++y)
                for (int x = 0; x < cube.size; ++x)
                    cube.at(face, x, y) = filtered(chain, cube.texelDirection(face, x, y), lobe);
        result.push_back(std::move(cube));
    }
    return result;
}

}  // namespace Quessel
