#pragma once
#include "math/MathTypes.h"

#include <GL/glew.h>

#include <vector>

struct aiMesh;

namespace Quessel {

struct SurfaceMaterial;

// One mesh of a brought scene on the GPU for the look: its triangles with every attribute
// the mesh has at the demo's locations, plus colours and a second UV set. Owns its buffers.
struct SurfaceMesh {
    GLuint vertexArray = 0;
    std::vector<GLuint> buffers;
    GLsizei indexCount = 0;
    // The middle of its bounding box in its own space: blended meshes sort by it.
    vec3 centre{0.0f};
    // SurfaceMaterialBlock flags for what the vertices carry.
    int flags = 0;

    SurfaceMesh() = default;
    // Colours are decoded from sRGB where the material says so. Points and lines are not
    // drawn.
    SurfaceMesh(const aiMesh& mesh, const SurfaceMaterial& material);
    ~SurfaceMesh();
    SurfaceMesh(SurfaceMesh&& other) noexcept;
    SurfaceMesh& operator=(SurfaceMesh&&) = delete;
    SurfaceMesh(const SurfaceMesh&) = delete;
    SurfaceMesh& operator=(const SurfaceMesh&) = delete;
};

}  // namespace Quessel
