#pragma once
#include "math/MathTypes.h"

#include <assimp/matrix4x4.h>

struct aiNode;

namespace Quessel {

// A scene node that plays a role beyond being drawn. Objects only refer to their node;
// the node belongs to the imported scene.
class SceneryObject {
public:
    explicit SceneryObject(aiNode* node) : node(node) {}
    virtual ~SceneryObject() = default;

    virtual bool init();
    virtual bool update(double dt);
    virtual aiNode* getNode();
    // The node's own matrix, or (global) root * ... * parent * node; row-major.
    virtual aiMatrix4x4 getTransformation(bool global);
    virtual vec3 getPosition(bool global);

    aiNode* node;
};

}  // namespace Quessel
