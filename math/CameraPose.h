#pragma once
#include "math/MathTypes.h"

#include <cmath>

namespace Quessel {

// Where a camera is and looks: position, viewing direction and view matrix (the
// "cameraPosition" and "cameraDirection" the scene shaders get, and the matrix).
struct CameraPose {
    vec3 position{0.0f};
    vec3 direction{0.0f, 0.0f, -1.0f};
    mat4 view{1.0f};

    // Looking along `direction` with the world's +Y up, as every view of the demo is (or,
    // looking straight up or down, with -Z at the top).
    static CameraPose looking(const vec3& position, const vec3& direction) {
        const vec3 forward = glm::normalize(direction);
        const vec3 up = std::abs(forward.y) < 0.9999f ? vec3(0.0f, 1.0f, 0.0f) : vec3(0.0f, 0.0f, -1.0f);
        return {position, forward, glm::lookAt(position, position + forward, up)};
    }
};

}  // namespace Quessel
