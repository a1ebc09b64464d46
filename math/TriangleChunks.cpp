#include "math/TriangleChunks.h"

#include <algorithm>
#include <cmath>

namespace Quessel {

namespace {

struct Splitter {
    const std::vector<vec3>& positions;
    const std::vector<uint32_t>& indices;
    size_t maxTriangles;
    std::vector<vec3> centres;
    std::vector<uint32_t> triangles;                // triangle numbers in chunk order
    std::vector<std::pair<size_t, size_t>> ranges;  // of `triangles`, one a chunk

    vec3 centre(uint32_t triangle) const {
        vec3 sum(0.0f);
        for (int corner = 0; corner < 3; ++corner) sum += positions[indices[3 * triangle + corner]];
        const vec3 c = sum / 3.0f;
        // Any finite stand-in keeps the comparisons below an order.
        return {std::isfinite(c.x) ? c.x : 0.0f, std::isfinite(c.y) ? c.y : 0.0f, std::isfinite(c.z) ? c.z : 0.0f};
    }

    // The triangles [first, last) of `triangles` in two at the median along the longest
    // side; false when they cannot be told apart that way.
    bool halve(size_t first, size_t last, size_t& middle) {
        Bounds box;
        for (size_t i = first; i < last; ++i) box.add(centres[triangles[i]]);
        const vec3 size = box.size();
        const int axis = size.x >= size.y && size.x >= size.z ? 0 : size.y >= size.z ? 1 : 2;
        if (!(size[axis] > 0.0f)) return false;
        std::vector<float> keys(last - first);
        for (size_t i = first; i < last; ++i) keys[i - first] = centres[triangles[i]][axis];
        std::nth_element(keys.begin(), keys.begin() + keys.size() / 2, keys.end());
        const float median = keys[keys.size() / 2];
        const auto begin = triangles.begin() + static_cast<std::ptrdiff_t>(first);
        const auto end = triangles.begin() + static_cast<std::ptrdiff_t>(last);
        // Below the median on one side; when none is (most share the smallest value), at
        // most the median.
        auto split = std::stable_partition(begin, end, [&](uint32_t t) { return centres[t][axis] < median; });
        if (split == begin)
            split = std::stable_partition(begin, end, [&](uint32_t t) { return centres[t][axis] <= median; });
        if (split == begin || split == end) return false;
        middle = static_cast<size_t>(split - triangles.begin());
        return true;
    }

    // Depth first, the lower half before the upper, without recursion: uneven halves of
    // many equal centres could go deep.
    void divide(size_t count) {
        std::vector<std::pair<size_t, size_t>> pending{{0, count}};
        while (!pending.empty()) {
            const auto [first, last] = pending.back();
            pending.pop_back();
            size_t middle = 0;
            if (last - first <= maxTriangles || !halve(first, last, middle)) {
                ranges.emplace_back(first, last);
                continue;
            }
            pending.emplace_back(middle, last);
            pending.emplace_back(first, middle);
        }
    }
};

}  // namespace

std::vector<TriangleChunks::Chunk> TriangleChunks::split(const std::vector<vec3>& positions,
                                                         std::vector<uint32_t>& indices, size_t maxTriangles) {
    const size_t count = indices.size() / 3;
    Splitter splitter{positions, indices, std::max<size_t>(maxTriangles, 1), {}, {}, {}};
    if (count > splitter.maxTriangles) {
        splitter.centres.resize(count);
        splitter.triangles.resize(count);
        for (uint32_t t = 0; t < count; ++t) {
            splitter.centres[t] = splitter.centre(t);
            splitter.triangles[t] = t;
        }
        splitter.divide(count);
        std::vector<uint32_t> reordered;
        reordered.reserve(count * 3);
        for (uint32_t t : splitter.triangles) reordered.insert(reordered.end(), &indices[3 * t], &indices[3 * t] + 3);
        indices.swap(reordered);
    } else {
        splitter.ranges.emplace_back(0, count);
    }

    std::vector<Chunk> chunks;
    for (const auto& [first, last] : splitter.ranges) {
        Chunk chunk;
        chunk.firstIndex = static_cast<uint32_t>(3 * first);
        chunk.indexCount = static_cast<uint32_t>(3 * (last - first));
        for (size_t i = 3 * first; i < 3 * last; ++i) {
            const vec3& p = positions[indices[i]];
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) chunk.bounded = false;
            chunk.bounds.add(p);
        }
        chunks.push_back(chunk);
    }
    return chunks;
}

}  // namespace Quessel
