#pragma once
#include "scene/ObjectKind.h"

#include <vector>

struct aiNode;

namespace Quessel {

class IRender;
class SceneryObject;

// Answers which scene nodes play a role and which objects wrap them.
class IScene {
public:
    virtual std::vector<SceneryObject*> getObjects(ObjectKind kind) = 0;
    virtual std::vector<aiNode*> getNodes(ObjectKind kind) = 0;
    virtual IRender* getRender() = 0;
    virtual ~IScene() = default;
};

}  // namespace Quessel
