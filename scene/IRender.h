#pragma once
#include <vector>

struct aiNode;

namespace Quessel {

// Draws lists of scene nodes with whatever program is current.
class IRender {
public:
    virtual void draw(const std::vector<aiNode*>& nodes) = 0;
    virtual ~IRender() = default;
};

}  // namespace Quessel
