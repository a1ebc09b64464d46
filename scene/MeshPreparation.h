#pragma once
#include <cstddef>
#include <functional>
#include <vector>

struct aiMesh;

namespace Quessel {

// A brought scene's mesh made ready to draw, in place: smooth normals where the file gave
// none, and its vertices welded (those identical in every attribute made one) and ordered
// for the vertex cache and fetch with meshoptimizer. Every triangle keeps its corners'
// data and its winding; only their order and the vertices' numbering change.
class MeshPreparation {
public:
    // Every face a triangle, with vertices to index.
    static bool isTriangles(const aiMesh& mesh);
    // The vertices' places numbered: vertices at one place (bit for bit) share a number.
    struct Places {
        std::vector<unsigned> number;
        size_t count = 0;
    };
    // For a triangle mesh without normals: at each place, the normalised sum of the unit
    // normals of the triangles that meet there, whichever vertices they use, as Assimp's
    // smooth-normal step gives separate triangles (on shared vertices it keeps one face's).
    // Returns the places it numbered (none when it made no normals).
    static Places smoothNormals(aiMesh& mesh);
    // Welds and orders a triangle mesh. `places`, from smoothNormals, welds a mesh whose
    // only vertex data are its positions and the normals made from them without comparing
    // vertices again. A mesh with bones or morph targets, whose vertex numbers those refer
    // to, keeps its vertices and only has its triangles reordered.
    static void weld(aiMesh& mesh, const Places& places);
    static void weld(aiMesh& mesh);
    // Drops tangents and bitangents, which only a normal map reads.
    static void dropTangents(aiMesh& mesh);
    // Drops every vertex array and face, leaving an empty mesh of the same name and material.
    static void release(aiMesh& mesh);
    // Runs work(0) ... work(count - 1), on as many threads as the machine has cores (fewer
    // when no more can be started); the first exception thrown is thrown again here.
    static void inParallel(unsigned count, const std::function<void(unsigned)>& work);

    // Triangles are ordered for a vertex cache of this many entries, with meshoptimizer's
    // fast order (half the time of its best; software GL draws both as fast)...
    static constexpr unsigned CacheSize = 16;
    // ...this many at a time, the parts at once: the order is the same on any machine,
    // and a part loses nothing measurable.
    static constexpr size_t CacheTriangles = size_t(1) << 20;
};

}  // namespace Quessel
