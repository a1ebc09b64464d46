#include "scene/SceneryObject.h"

#include <assimp/scene.h>

namespace Quessel {

bool SceneryObject::init() { return true; }

bool SceneryObject::update(double) { return true; }

aiNode* SceneryObject::getNode() { return node; }

aiMatrix4x4 SceneryObject::getTransformation(bool global) {
    if (!node) return aiMatrix4x4();
    if (!global) return node->mTransformation;
    aiMatrix4x4 result;
    for (const aiNode* n = node; n; n = n->mParent) {
        aiMatrix4x4 product = n->mTransformation;
        product *= result;
        result = product;
    }
    return result;
}

vec3 SceneryObject::getPosition(bool global) {
    const aiMatrix4x4 m = getTransformation(global);
    return vec3(m.a4, m.b4, m.c4);
}

}  // namespace Quessel
