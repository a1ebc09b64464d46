#pragma once
#include "look/DrawStats.h"
#include "look/SurfaceMaterial.h"
#include "look/SurfaceMesh.h"
#include "math/MathTypes.h"
#include "scene/IRender.h"

#include <GL/glew.h>

#include <array>
#include <unordered_set>
#include <utility>
#include <vector>

struct aiNode;
struct aiScene;

namespace Quessel {

class LookTextures;

// Draws a brought scene's nodes with the look's surface program: each mesh with its own
// material block and textures, opaque and masked meshes first, then blended ones from the
// farthest to the nearest (by the depth of their centre in the view). It reads the view
// from and writes each node's model matrix into the "Matrices" buffer bound at binding 1,
// as the demo's passes leave it (projection and view written), and puts back the GL state
// it changes. Of each mesh it draws only the chunks whose boxes, at the node's place, lie
// at least partly inside that projection × view's frustum.
class SurfaceDrawer : public IRender {
public:
    // One material and one GPU mesh per mesh of the scene, read once here.
    SurfaceDrawer(const aiScene* scene, LookTextures& textures, GLuint program, GLuint lightingBuffer,
                  GLuint specularMap);
    ~SurfaceDrawer() override;
    SurfaceDrawer(const SurfaceDrawer&) = delete;
    SurfaceDrawer& operator=(const SurfaceDrawer&) = delete;

    // IRender: the meshes of the listed nodes (of the whole scene, at their world place).
    void draw(const std::vector<aiNode*>& nodes) override;
    // Every node's meshes with the program in use, which reads only positions and the same
    // "Matrices" block: no material, texture or GL state of its own (the demo's depth pass,
    // drawn from the look's meshes so a brought scene needs no second copy of them).
    void drawPositions();

    const std::vector<SurfaceMaterial>& materials() const { return surfaces; }
    // Mesh indices in the order the last draw drew them (those with a chunk in view).
    const std::vector<unsigned>& lastOrder() const { return order; }
    // What the last draw (one view) drew of what it was given, and a running total over
    // every draw since the drawer was made.
    const DrawStats& lastDraw() const { return last; }
    const DrawStats& total() const { return sum; }
    // Off: every chunk is drawn, in view or not (to compare pictures with and without).
    void setCulling(bool on) { culling = on; }

private:
    struct Item {
        unsigned mesh;
        mat4 world;
        float depth;  // view-space z of the mesh's centre (more negative: farther)
    };
    // The meshes of the listed nodes, or of every node when `listed` is null.
    void collect(const aiNode* node, const mat4& parent, const std::unordered_set<const aiNode*>* listed,
                 const mat4& view, std::vector<Item>& items) const;
    // The "Matrices" buffer bound at its binding (0: none) and its projection and view.
    static GLuint boundMatrices(mat4& projection, mat4& view);
    // The ranges of the item's index buffer to draw: its chunks in view, neighbours joined.
    void visibleRanges(const Item& item, const mat4& clipFromWorld, DrawStats& stats);
    void drawItem(const Item& item, GLuint matricesBuffer);

    const aiScene* scene;
    GLuint program;
    GLuint lightingBuffer;
    GLuint specularMap;
    std::vector<SurfaceMaterial> surfaces;
    std::vector<SurfaceMesh> meshes;
    std::vector<GLuint> materialBuffers;
    // Per mesh, the texture for each of the five material units (0: none).
    std::vector<std::array<GLuint, 5>> textures;
    std::vector<unsigned> order;
    bool culling = true;
    // (first index, count) pairs of the item being drawn.
    std::vector<std::pair<GLuint, GLsizei>> ranges;
    DrawStats last;
    DrawStats sum;
};

}  // namespace Quessel
