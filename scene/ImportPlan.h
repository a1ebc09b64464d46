#pragma once
#include <set>
#include <string>
#include <vector>

struct aiMaterial;
struct aiScene;

namespace Quessel {

// How a scene is post-processed after Assimp's parser. The demo's own scene takes Assimp's
// realtime-quality preset, as it always has. A brought scene takes only what it needs:
// Assimp's steps that cost a pass over the data while the file is read (validation first),
// then, per mesh, smooth normals where the file gave none, tangents where its material has
// a normal map, and welding with cache and fetch ordering (MeshPreparation).
struct ImportPlan {
    // Assimp's steps while the file is read.
    unsigned readSteps = 0;
    // Whether Assimp's degenerate-triangle step weighs each triangle's area, which only
    // matters when degenerate triangles are removed: no import here removes them.
    bool degenerateAreas = true;
    bool brought = false;

    static ImportPlan of(bool brought, bool validate);

    // What one mesh of a brought scene still needs after the read.
    struct MeshSteps {
        // A triangle mesh without normals: smooth ones made.
        bool normals = false;
        // Its material has a normal map and the mesh texture coordinates: tangents kept.
        bool tangents = false;
        // A triangle mesh: welded, and ordered for the vertex cache and fetch.
        bool weld = false;
    };
    // Per mesh of a read scene; `normalMaps` are the file names of the demo's normal maps,
    // which its shading finds by a mesh's diffuse image (normalMapName).
    static std::vector<MeshSteps> meshSteps(const aiScene* scene, const std::set<std::string>& normalMaps);
    // Whether Assimp's tangent step runs (on every mesh with texture coordinates): only
    // when some mesh keeps tangents.
    static bool tangentStep(const std::vector<MeshSteps>& steps);
    // Whether the material has a normal map: one of its own (the look's), or one of the
    // demo's found by its diffuse image (the demo's shading).
    static bool hasNormalMap(const aiMaterial* material, const std::set<std::string>& normalMaps);
};

}  // namespace Quessel
