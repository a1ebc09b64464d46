#pragma once
#include "study/FreeCamera.h"

#include <string>
#include <utility>

struct GLFWwindow;

namespace Quessel::Study {

class StudyControls;

// The window's keys and mouse as the study tool reads them: presses go to the controls as
// they come, held keys and the drag are read once a frame.
class StudyInput {
public:
    // Takes over the window's key and scroll callbacks and shows the cursor (the demo
    // captures it; here it drags the view and is seen).
    StudyInput(GLFWwindow* window, StudyControls& controls);
    ~StudyInput();
    StudyInput(const StudyInput&) = delete;
    StudyInput& operator=(const StudyInput&) = delete;

    // The keys held now and how far the cursor was dragged since the last call.
    HeldKeys held();
    // The file last dropped on the window, once; empty: none since the last call.
    std::string takeDropped() { return std::exchange(dropped, std::string()); }
    // GLFW's drop callback: the first of the files dropped.
    static void onDrop(GLFWwindow* window, int count, const char** paths);
    // Where the cursor was at the last held(), in window pixels.
    double cursorX() const { return lastX; }
    double cursorY() const { return lastY; }

private:
    static void onKey(GLFWwindow* window, int key, int scancode, int action, int mods);
    static void onScroll(GLFWwindow* window, double x, double notches);

    GLFWwindow* window;
    StudyControls& controls;
    double lastX = 0.0;
    double lastY = 0.0;
    std::string dropped;
};

}  // namespace Quessel::Study
