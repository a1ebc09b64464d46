#pragma once
#include "scene/ObjectKind.h"

#include <string>
#include <vector>

struct aiNode;

namespace Quessel {

// The names that make nodes reflect or refract beyond the demo's own ("Sphere" and
// "Sphere_001" reflect, "Sphere_002" refracts): the tools let any node of a scene they
// bring play those roles.
struct NodeRoles {
    std::vector<std::string> reflective;
    std::vector<std::string> refractive;
};

// Finding scene nodes by role. Names are compared up to their first NUL, case-sensitive.
namespace NodeQuery {

enum class Match { Every, Contains, Equals };

// Depth-first pre-order walk appending every node that matches.
void walk(aiNode* node, const char* text, Match mode, std::vector<aiNode*>& out);

// The nodes of a kind under `root` (an empty list for no root). The roles' names come after
// the demo's, each node once.
std::vector<aiNode*> nodes(aiNode* root, ObjectKind kind, const NodeRoles& roles = NodeRoles());

// The first node in pre-order whose name equals `name`, or nullptr.
aiNode* find(aiNode* root, const char* name);

}  // namespace NodeQuery
}  // namespace Quessel
