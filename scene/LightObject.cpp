#include "scene/LightObject.h"

#include <assimp/scene.h>

namespace Quessel {

LightObject::LightObject(aiNode* node)
    : SceneryObject(node), record(std::make_unique<LightRecord>(LightRecord::forLightObject())) {}

bool LightObject::update(double) {
    if (!node) return true;
    aiVector3D scaling;
    aiQuaternion rotation;
    aiVector3D position;
    node->mTransformation.Decompose(scaling, rotation, position);
    record->setFromTranslation(position.x, position.y, position.z);
    return true;
}

}  // namespace Quessel
