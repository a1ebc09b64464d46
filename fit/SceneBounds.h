#pragma once
#include "math/Bounds.h"

struct aiMesh;
struct aiNode;
struct aiScene;

namespace Quessel {

// The size of what a scene draws: the vertices of its triangle meshes (meshes of points
// or lines are not drawn and do not count), through the node transforms as drawing
// applies them.
namespace SceneBounds {

// Whether the mesh is drawn: it has faces, all of at least three corners.
bool drawsTriangles(const aiMesh* mesh);
// Every drawn mesh of every node, in world space.
Bounds drawn(const aiScene* scene);
// What a view of the whole scene frames: as drawn(), less a node whose meshes enclose all
// the others' with this much room (its diagonal this many times theirs) - a sky dome or a
// backdrop around the scene, from outside which nothing else would be seen.
constexpr float BackdropRatio = 2.0f;
Bounds framed(const aiScene* scene);
// The same in doubles, for the scene's own coordinates before it is placed to be drawn.
WideBounds framedInScene(const aiScene* scene);
// The node's own drawn meshes in the node's frame (its children not included).
Bounds ofNode(const aiScene* scene, const aiNode* node);

}  // namespace SceneBounds
}  // namespace Quessel
