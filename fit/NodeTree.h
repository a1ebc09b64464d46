#pragma once
#include <string>
#include <vector>

struct aiScene;

namespace Quessel {

// A scene's nodes as a user sees them: in file order, each with its depth in the tree, the
// triangles it draws itself, its meshes' materials and what it does in the demo.
struct NodeRow {
    int depth = 0;
    std::string name;
    size_t triangles = 0;
    std::vector<std::string> materials;
    enum class Role { None, Mirror, Glass } role = Role::None;
};

class NodeTree {
public:
    // `mirrors` and `glass`: the names that reflect and refract.
    static std::vector<NodeRow> of(const aiScene* scene, const std::vector<std::string>& mirrors,
                                   const std::vector<std::string>& glass);
    // One line a node, indented by its depth: "  Wheel  1204 triangles  Rubber, Chrome  (mirror)".
    static std::string text(const std::vector<NodeRow>& rows);
};

}  // namespace Quessel
