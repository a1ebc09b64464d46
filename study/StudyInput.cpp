#include "study/StudyInput.h"

#include "study/StudyControls.h"

#include <GLFW/glfw3.h>

namespace Quessel::Study {

namespace {
bool studyKey(int key, StudyKey& studied) {
    switch (key) {
    case GLFW_KEY_SPACE: studied = StudyKey::Pause; return true;
    case GLFW_KEY_PERIOD: studied = StudyKey::Step; return true;
    case GLFW_KEY_TAB: studied = StudyKey::FreeCamera; return true;
    case GLFW_KEY_F: studied = StudyKey::Frame; return true;
    case GLFW_KEY_F1: studied = StudyKey::Overlay; return true;
    case GLFW_KEY_F2: studied = StudyKey::NextView; return true;
    case GLFW_KEY_F5: studied = StudyKey::Reload; return true;
    case GLFW_KEY_F12: studied = StudyKey::Screenshot; return true;
    case GLFW_KEY_F6: studied = StudyKey::SavePath; return true;
    case GLFW_KEY_ENTER:
    case GLFW_KEY_KP_ENTER: studied = StudyKey::AddView; return true;
    case GLFW_KEY_H: studied = StudyKey::AddHold; return true;
    case GLFW_KEY_L: studied = StudyKey::AimView; return true;
    case GLFW_KEY_C: studied = StudyKey::NextCamera; return true;
    case GLFW_KEY_R: studied = StudyKey::Restart; return true;
    case GLFW_KEY_BACKSPACE: studied = StudyKey::RemoveRow; return true;
    case GLFW_KEY_EQUAL:
    case GLFW_KEY_KP_ADD: studied = StudyKey::Longer; return true;
    case GLFW_KEY_MINUS:
    case GLFW_KEY_KP_SUBTRACT: studied = StudyKey::Shorter; return true;
    default: return false;
    }
}
}  // namespace

StudyInput::StudyInput(GLFWwindow* window, StudyControls& controls) : window(window), controls(controls) {
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_NORMAL);
    glfwSetWindowUserPointer(window, this);
    glfwSetKeyCallback(window, onKey);
    glfwSetScrollCallback(window, onScroll);
    glfwSetDropCallback(window, onDrop);
    glfwGetCursorPos(window, &lastX, &lastY);
}

// The callbacks stay (the overlay's ImGui chains to them); without the pointer they do nothing.
StudyInput::~StudyInput() { glfwSetWindowUserPointer(window, nullptr); }

void StudyInput::onScroll(GLFWwindow* window, double, double notches) {
    auto* input = static_cast<StudyInput*>(glfwGetWindowUserPointer(window));
    if (input) input->controls.scroll(notches);
}

void StudyInput::onDrop(GLFWwindow* window, int count, const char** paths) {
    auto* input = static_cast<StudyInput*>(glfwGetWindowUserPointer(window));
    if (input && count > 0 && paths[0]) input->dropped = paths[0];
}

void StudyInput::onKey(GLFWwindow* window, int key, int, int action, int) {
    // The demo's end test asks whether Escape is down when it polls; pressed and let go
    // between two polls of a slow frame, it is still seen here.
    if (key == GLFW_KEY_ESCAPE && action == GLFW_PRESS) glfwSetWindowShouldClose(window, GLFW_TRUE);
    auto* input = static_cast<StudyInput*>(glfwGetWindowUserPointer(window));
    StudyKey studied;
    if (input && action == GLFW_PRESS && studyKey(key, studied)) input->controls.press(studied);
}

HeldKeys StudyInput::held() {
    const auto down = [this](int key) { return glfwGetKey(window, key) == GLFW_PRESS; };
    HeldKeys keys;
    keys.forward = down(GLFW_KEY_W);
    keys.back = down(GLFW_KEY_S);
    keys.left = down(GLFW_KEY_A);
    keys.right = down(GLFW_KEY_D);
    keys.down = down(GLFW_KEY_Q);
    keys.up = down(GLFW_KEY_E);
    keys.fast = down(GLFW_KEY_LEFT_SHIFT) || down(GLFW_KEY_RIGHT_SHIFT);
    keys.turnLeft = down(GLFW_KEY_LEFT);
    keys.turnRight = down(GLFW_KEY_RIGHT);
    keys.turnUp = down(GLFW_KEY_UP);
    keys.turnDown = down(GLFW_KEY_DOWN);
    double x = 0.0;
    double y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    if (glfwGetMouseButton(window, GLFW_MOUSE_BUTTON_LEFT) == GLFW_PRESS) {
        keys.dragX = x - lastX;
        keys.dragY = y - lastY;
    }
    lastX = x;
    lastY = y;
    return keys;
}

}  // namespace Quessel::Study
