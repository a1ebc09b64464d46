#include "study/FreeCamera.h"

#include <algorithm>
#include <cmath>

namespace Quessel::Study {

namespace {
const vec3 WorldUp(0.0f, 1.0f, 0.0f);
}  // namespace

void FreeCamera::enter(const Camera& camera) {
    saved = camera;
    // The path moves and turns the view only (direction keeps its first value), so the
    // pose comes from the view matrix.
    const mat4 eye = glm::inverse(camera.view);
    look(vec3(eye[3]), -vec3(eye[2]));
}

void FreeCamera::look(const vec3& at, const vec3& direction) {
    position = at;
    const vec3 looking = glm::normalize(direction);
    heading = std::atan2(-looking.x, -looking.z);
    pitch = std::clamp(std::asin(std::clamp(looking.y, -1.0f, 1.0f)), -PitchLimit, PitchLimit);
}

vec3 FreeCamera::forward() const {
    return vec3(-std::sin(heading) * std::cos(pitch), std::sin(pitch), -std::cos(heading) * std::cos(pitch));
}

mat4 FreeCamera::view() const { return glm::lookAt(position, position + forward(), WorldUp); }

void FreeCamera::fly(const HeldKeys& keys, float seconds) {
    const float turn = TurnRate * seconds;
    heading +=
        (keys.turnLeft ? turn : 0.0f) - (keys.turnRight ? turn : 0.0f) - DragRate * static_cast<float>(keys.dragX);
    pitch += (keys.turnUp ? turn : 0.0f) - (keys.turnDown ? turn : 0.0f) - DragRate * static_cast<float>(keys.dragY);
    pitch = std::clamp(pitch, -PitchLimit, PitchLimit);

    const vec3 ahead = forward();
    const vec3 side = glm::normalize(glm::cross(ahead, WorldUp));
    const auto axis = [](bool plus, bool minus) { return (plus ? 1.0f : 0.0f) - (minus ? 1.0f : 0.0f); };
    const vec3 motion =
        ahead * axis(keys.forward, keys.back) + side * axis(keys.right, keys.left) + WorldUp * axis(keys.up, keys.down);
    const float distance = speed * (keys.fast ? FastFactor : 1.0f) * seconds;
    if (glm::length(motion) > 0.0f) position += glm::normalize(motion) * distance;
}

CameraPose FreeCamera::pose() const { return {position, forward(), view()}; }

void FreeCamera::leave(Camera& camera) const { camera = saved; }

}  // namespace Quessel::Study
