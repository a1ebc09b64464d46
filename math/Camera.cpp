#include "math/Camera.h"

#include "core/Console.h"
#include "core/GlConstants.h"

#include <cmath>

namespace Quessel {

namespace {
float sinf64(float x) { return static_cast<float>(std::sin(static_cast<double>(x))); }
float cosf64(float x) { return static_cast<float>(std::cos(static_cast<double>(x))); }
}  // namespace

Camera::Camera() {
    const float halfAngle = 0.5236f;
    projection = glm::perspective(2.0f * halfAngle, static_cast<float>(ScreenWidth) / static_cast<float>(ScreenHeight),
                                  0.1f, 10000.0f);
    anglesToVectors();
    // A basis and a translation, not a look-at matrix: the first updateFromAngles always
    // differs from it and therefore reports.
    mat4 basis(vec4(right, 0.0f), vec4(up, 0.0f), vec4(direction, 0.0f), vec4(0.0f, 0.0f, 0.0f, 1.0f));
    mat4 translation(1.0f);
    translation[3] = vec4(-position, 1.0f);
    view = basis * translation;
    previousView = view;
}

Camera& Camera::instance() {
    static Camera camera;
    return camera;
}

void Camera::anglesToVectors() {
    const float v = verticalAngle;
    direction =
        glm::normalize(vec3(cosf64(v) * sinf64(HorizontalAngle), sinf64(v), cosf64(v) * cosf64(HorizontalAngle)));
    right = glm::normalize(vec3(sinf64(SideAngle), 0.0f, cosf64(SideAngle)));
    up = glm::normalize(glm::cross(right, direction));
}

void Camera::updateFromAngles() {
    previousView = view;
    anglesToVectors();
    view = glm::lookAt(position, position + direction, up);
    if (view != previousView) printReport();
}

void Camera::printReport() const {
    printConsole("Camera location:\n");
    printConsole("%f\n", static_cast<double>(position.x));
    printConsole("%f\n", static_cast<double>(position.y));
    printConsole("%f\n", static_cast<double>(position.z));
    printConsole("Camera direction:\n");
    printConsole("%f\n", static_cast<double>(direction.x));
    printConsole("%f\n", static_cast<double>(direction.y));
    printConsole("%f\n", static_cast<double>(direction.z));
}

void Camera::init(const vec3& newPosition, const vec3& target) {
    if (initialised) return;
    position = newPosition;
    direction = glm::normalize(target - newPosition);
    up = glm::normalize(vec3(0.0f, 1.0f, 0.0f));
    right = glm::normalize(glm::cross(up, direction));
    view = glm::lookAt(position, position + direction, up);
    initialised = true;
}

float Camera::advanceTimer(float duration, float elapsed, bool& finished) {
    pathTime += elapsed;
    float t = pathTime / duration;
    finished = t > 1.0f;
    if (finished) {
        // The excess beyond the end is dropped: the next operation starts from zero.
        t = 1.0f;
        pathTime = 0.0f;
    }
    return t;
}

bool Camera::move(float duration, float elapsed, const vec3& from, const vec3& to) {
    previousView = view;
    bool finished = false;
    const float t = advanceTimer(duration, elapsed, finished);
    position = glm::mix(from, to, t);
    view = glm::lookAt(position, position + (to - from), up);
    return finished;
}

bool Camera::moveLooking(float duration, float elapsed, const vec3& from, const vec3& to, const vec3& target) {
    previousView = view;
    bool finished = false;
    const float t = advanceTimer(duration, elapsed, finished);
    position = glm::mix(from, to, t);
    view = glm::lookAt(position, target, up);
    return finished;
}

void Camera::place(const vec3& newPosition, const vec3& target) {
    initialised = false;
    init(newPosition, target);
    previousView = view;
    pathTime = 0.0f;
}

bool Camera::turn(float duration, float elapsed, const vec3& fromDirection, const vec3& toDirection) {
    previousView = view;
    bool finished = false;
    const float t = advanceTimer(duration, elapsed, finished);
    const vec3 d = glm::normalize((toDirection - fromDirection) * t + fromDirection);
    view = glm::lookAt(position, position + d, up);
    return finished;
}

bool Camera::hold(float duration, float elapsed) {
    pathTime += elapsed;
    previousView = view;  // no motion for the blur while holding
    if (pathTime / duration > 1.0f) {
        pathTime = 0.0f;
        return true;
    }
    return false;
}

}  // namespace Quessel
