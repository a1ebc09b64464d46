#pragma once
#include "math/Bounds.h"
#include "math/MathTypes.h"

#include <cstdint>
#include <vector>

namespace Quessel {

// A big mesh's triangles in spatial chunks, each with its own box, so that a view can
// leave out the parts of the mesh it does not see. Split in two at the median of the
// triangles' centres along the longest side of their box, again and again, until each
// chunk holds at most the triangles asked for. Triangles keep their order within a chunk,
// and triangles with the same centre stay in one chunk, so that drawing chunk after chunk
// differs from drawing the whole mesh only in the order of triangles far apart.
class TriangleChunks {
public:
    struct Chunk {
        uint32_t firstIndex = 0;
        uint32_t indexCount = 0;
        // Around every corner of its triangles; `bounded` false when one of them is not
        // finite, so nothing can say where the chunk is.
        Bounds bounds;
        bool bounded = true;
    };

    // Reorders `indices` (three a triangle, each below positions.size()) so that each
    // chunk's triangles lie together, and returns the chunks in that order. A mesh of at
    // most `maxTriangles` triangles stays one chunk in its own order.
    static std::vector<Chunk> split(const std::vector<vec3>& positions, std::vector<uint32_t>& indices,
                                    size_t maxTriangles);
};

}  // namespace Quessel
