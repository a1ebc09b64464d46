#pragma once
#include "scene/ObjectKind.h"

#include <vector>

struct aiNode;

namespace Quessel {

// Finding scene nodes by role. Names are compared up to their first NUL, case-sensitive.
namespace NodeQuery {

enum class Match { Every, Contains, Equals };

// Depth-first pre-order walk appending every node that matches.
void walk(aiNode* node, const char* text, Match mode, std::vector<aiNode*>& out);

// The nodes of a kind under `root` (an empty list for no root).
std::vector<aiNode*> nodes(aiNode* root, ObjectKind kind);

// The first node in pre-order whose name equals `name`, or nullptr.
aiNode* find(aiNode* root, const char* name);

}  // namespace NodeQuery
}  // namespace Quessel
