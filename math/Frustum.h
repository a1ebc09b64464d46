#pragma once
#include "math/Bounds.h"
#include "math/MathTypes.h"

#include <array>

namespace Quessel {

// The six planes of a view's clip space, -w <= x, y, z <= w, in the space the matrix takes
// from (world space for projection × view, a node's own for projection × view × model).
// A box is outside only when all of it lies beyond one plane: a box that passes is not
// always seen (it may hang past a corner), but one that fails never is.
class Frustum {
public:
    enum class Side { Outside, Straddles, Inside };

    explicit Frustum(const mat4& clipFromSpace);

    // Where a box lies. An empty box is taken as Straddles: nothing says where it is.
    Side classify(const Bounds& box) const;
    bool sees(const Bounds& box) const { return classify(box) != Side::Outside; }

    // Left, right, bottom, top, near, far: (a, b, c, d) with a x + b y + c z + d >= 0
    // inside, not normalised.
    const std::array<vec4, 6>& planes() const { return sides; }

private:
    std::array<vec4, 6> sides;
};

}  // namespace Quessel
