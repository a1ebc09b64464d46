#pragma once
#include "scene/NodeQuery.h"
#include "scene/ObjectKind.h"

#include <array>
#include <memory>
#include <vector>

struct aiNode;

namespace Quessel {

class SceneryObject;

// One list of wrapping objects per kind, filled on first request and then handed out as
// copies, so repeated requests return the same pointers.
class ObjectCache {
public:
    ObjectCache();
    ~ObjectCache();

    std::vector<SceneryObject*> get(aiNode* root, ObjectKind kind, const NodeRoles& roles = NodeRoles());

    std::array<std::vector<SceneryObject*>, ObjectKindCount> objectLists;

private:
    std::vector<std::unique_ptr<SceneryObject>> owned;
};

}  // namespace Quessel
