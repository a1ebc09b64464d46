#include "scene/NodeQuery.h"

#include <assimp/scene.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>

namespace Quessel {
namespace NodeQuery {

namespace {

bool matches(const aiNode* node, const char* text, Match mode) {
    const char* name = node->mName.C_Str();
    switch (mode) {
    case Match::Every: return true;
    case Match::Contains: return std::strstr(name, text) != nullptr;
    case Match::Equals: return std::strcmp(name, text) == 0;
    }
    return false;
}

const std::vector<const char*>& reflectiveNames() {
    static const std::vector<const char*> names = {"Sphere", "Sphere_001"};
    return names;
}

const std::vector<const char*>& refractiveNames() {
    static const std::vector<const char*> names = {"Sphere_002"};
    return names;
}

std::vector<aiNode*> byNames(aiNode* root, const std::vector<const char*>& names,
                             const std::vector<std::string>& extra) {
    std::vector<aiNode*> result;
    for (const char* name : names) walk(root, name, Match::Equals, result);
    for (const std::string& name : extra) {
        std::vector<aiNode*> found;
        walk(root, name.c_str(), Match::Equals, found);
        for (aiNode* node : found)
            if (std::find(result.begin(), result.end(), node) == result.end()) result.push_back(node);
    }
    return result;
}

}  // namespace

void walk(aiNode* node, const char* text, Match mode, std::vector<aiNode*>& out) {
    if (!node) return;
    if (matches(node, text, mode)) out.push_back(node);
    for (unsigned i = 0; i < node->mNumChildren; ++i) walk(node->mChildren[i], text, mode, out);
}

std::vector<aiNode*> nodes(aiNode* root, ObjectKind kind, const NodeRoles& roles) {
    std::vector<aiNode*> result;
    switch (kind) {
    case ObjectKind::All: walk(root, "", Match::Every, result); break;
    case ObjectKind::Reflective: result = byNames(root, reflectiveNames(), roles.reflective); break;
    case ObjectKind::Refractive: result = byNames(root, refractiveNames(), roles.refractive); break;
    case ObjectKind::Light: walk(root, "PointLight", Match::Contains, result); break;
    case ObjectKind::Other: {
        std::vector<aiNode*> special = nodes(root, ObjectKind::Reflective, roles);
        const std::vector<aiNode*> refractive = nodes(root, ObjectKind::Refractive, roles);
        special.insert(special.end(), refractive.begin(), refractive.end());
        std::vector<aiNode*> all = nodes(root, ObjectKind::All);
        // Ordered by node identity; std::less gives a total order on pointers.
        const std::less<aiNode*> byIdentity;
        std::sort(special.begin(), special.end(), byIdentity);
        std::sort(all.begin(), all.end(), byIdentity);
        std::set_difference(all.begin(), all.end(), special.begin(), special.end(), std::back_inserter(result),
                            byIdentity);
        break;
    }
    }
    return result;
}

aiNode* find(aiNode* root, const char* name) {
    if (!root) return nullptr;
    if (matches(root, name, Match::Equals)) return root;
    for (unsigned i = 0; i < root->mNumChildren; ++i) {
        if (aiNode* found = find(root->mChildren[i], name)) return found;
    }
    return nullptr;
}

}  // namespace NodeQuery
}  // namespace Quessel
