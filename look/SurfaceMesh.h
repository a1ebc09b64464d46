#pragma once
#include "math/Bounds.h"
#include "math/MathTypes.h"
#include "math/TriangleChunks.h"

#include <GL/glew.h>

#include <vector>

struct aiMesh;

namespace Quessel {

struct SurfaceMaterial;

// One mesh of a brought scene on the GPU for the look: its triangles with every attribute
// the mesh has at the demo's locations, plus colours and a second UV set. Positions are
// floats; directions, and texture coordinates and colours within [0, 1], take fewer bytes
// (VertexPacking). A big mesh's triangles lie in spatial chunks, each with its own box, so
// a view draws only the chunks it sees. Owns its buffers.
struct SurfaceMesh {
    // More triangles than this are split into chunks.
    static constexpr size_t ChunkTriangles = 65536;

    GLuint vertexArray = 0;
    std::vector<GLuint> buffers;
    GLsizei indexCount = 0;
    // The middle of its bounding box in its own space: blended meshes sort by it.
    vec3 centre{0.0f};
    // SurfaceMaterialBlock flags for what the vertices carry.
    int flags = 0;
    // Ranges of the index buffer in drawing order, one chunk each, covering it whole.
    std::vector<TriangleChunks::Chunk> chunks;

    SurfaceMesh() = default;
    // Colours are decoded from sRGB where the material says so. Points and lines are not
    // drawn. A blended mesh stays one chunk: its triangles blend in the order given.
    SurfaceMesh(const aiMesh& mesh, const SurfaceMaterial& material, size_t chunkTriangles = ChunkTriangles);
    ~SurfaceMesh();
    SurfaceMesh(SurfaceMesh&& other) noexcept;
    SurfaceMesh& operator=(SurfaceMesh&&) = delete;
    SurfaceMesh(const SurfaceMesh&) = delete;
    SurfaceMesh& operator=(const SurfaceMesh&) = delete;
};

}  // namespace Quessel
