#pragma once
#include "fit/FileCameras.h"
#include "fit/NodeTree.h"
#include "math/Bounds.h"
#include "math/Framing.h"
#include "math/Placement.h"

#include <optional>
#include <string>
#include <vector>

namespace Quessel {

// A reflective or refractive object where it is drawn: the middle of its meshes and the
// radius of their box.
struct ObjectExtent {
    vec3 centre;
    float radius = 0.0f;
};

// A mesh where it is drawn: its node, its index in the scene and its box in the world.
struct MeshPlace {
    std::string node;
    unsigned mesh = 0;
    Bounds box;
};

// What fitting made of the scene, once, after the import: every scene has one, our own too.
struct SceneFitting {
    // Seen at its own scale: its planes, starting view and flight speed come from the
    // framing. Our own scene keeps the demo's fixed camera, its framing only describing it.
    bool ownScale = false;
    // From what the scene draws (our own: the whole scene), where it is drawn.
    Framing framing{Bounds{}};
    // Where the scene is drawn; none but in its own coordinates for our own.
    Placement placement;
    // Which light lights the scene.
    std::string light;
    // What set-up has to tell about a brought scene (its light, what it leaves out).
    std::vector<std::string> notes;
    // Reflective objects first, then refractive ones, as the demo lists them.
    std::vector<ObjectExtent> objects;
    // Where the smoke rises in a brought scene (--smoke NODE); none: no smoke there. Our
    // own scene's smoke keeps the demo's chimney.
    std::optional<vec3> smoke;
    // Every drawn mesh through every node that draws it, where it is drawn (what the tools
    // point at and frame).
    std::vector<MeshPlace> meshes;
    // The scene's nodes in file order, and the cameras the file gives.
    std::vector<NodeRow> nodes;
    std::vector<FileCamera> cameras;

    // The clipping planes the scene is drawn with.
    float nearPlane() const { return ownScale ? framing.nearPlane() : Framing::NearShare * Framing::ReferenceRadius; }
    float farPlane() const { return ownScale ? framing.farPlane() : Framing::FarShare * Framing::ReferenceRadius; }
    // The scene's radius against the demo courtyard's: 1 for our own.
    float relativeSize() const { return ownScale ? framing.radius() / Framing::ReferenceRadius : 1.0f; }
};

}  // namespace Quessel
