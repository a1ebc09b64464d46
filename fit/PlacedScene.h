#pragma once
#include "math/Placement.h"

struct aiScene;

namespace Quessel {

// Moves a scene's own data to where it is drawn (see Placement). The scale goes into the
// mesh vertices, the lights' positions and every node's translation, never into a node's
// turn and stretch: the shaders' normal and refraction matrices grow with its square and
// cube, which floats cannot hold for a very large or small scene. The root also takes the
// move to the centre.
class PlacedScene {
public:
    static void apply(const aiScene* scene, const Placement& placement);
};

}  // namespace Quessel
