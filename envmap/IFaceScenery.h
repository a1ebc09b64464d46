#pragma once
#include "math/MathTypes.h"

#include <vector>

struct aiNode;

namespace Quessel {

// What a cube-map face shows around its object when not the scene program's nodes: a
// brought scene's own look draws its environment behind and its surfaces. Called with the
// face's matrices written into the "Matrices" buffer, depth testing on.
class IFaceScenery {
public:
    virtual void drawFace(const std::vector<aiNode*>& nodes, const vec3& eye) = 0;
    virtual ~IFaceScenery() = default;
};

}  // namespace Quessel
