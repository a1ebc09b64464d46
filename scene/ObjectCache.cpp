#include "scene/ObjectCache.h"

#include "scene/LightObject.h"
#include "scene/NodeQuery.h"
#include "scene/ReflectionObject.h"

namespace Quessel {

namespace {
std::unique_ptr<SceneryObject> wrap(aiNode* node, ObjectKind kind) {
    switch (kind) {
    case ObjectKind::Reflective:
    case ObjectKind::Refractive: return std::make_unique<ReflectionObject>(node);
    case ObjectKind::Light: return std::make_unique<LightObject>(node);
    default: return std::make_unique<SceneryObject>(node);
    }
}
}  // namespace

ObjectCache::ObjectCache() = default;
ObjectCache::~ObjectCache() = default;

std::vector<SceneryObject*> ObjectCache::get(aiNode* root, ObjectKind kind, const NodeRoles& roles) {
    std::vector<SceneryObject*>& cache = objectLists[static_cast<int>(kind)];
    if (cache.empty()) {
        for (aiNode* node : NodeQuery::nodes(root, kind, roles)) {
            owned.push_back(wrap(node, kind));
            cache.push_back(owned.back().get());
        }
    }
    return cache;
}

}  // namespace Quessel
