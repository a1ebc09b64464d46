#pragma once
#include "math/Bounds.h"
#include "math/MathTypes.h"

#include <string>

namespace Quessel::Study {

// The camera of a drawn frame written as a path file that holds it (its start and one hold),
// so that --path draws the very same view again, with what another renderer needs to take
// the same picture beside it: the vertical field of view, the aspect, the clipping planes
// and the box a brought scene was framed by. Path files ignore the keys they do not know.
class ViewFile {
public:
    static constexpr float HoldSeconds = 10.0f;

    // `framed` empty for our own scene: no "bounds". The camera looks at the point of its view
    // nearest the box's centre, or farther ahead (a small scene far from the origin).
    static std::string text(const mat4& view, const mat4& projection, float nearPlane, float farPlane,
                            const Bounds& framed);
};

}  // namespace Quessel::Study
