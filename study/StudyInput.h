#pragma once
#include "study/FreeCamera.h"

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

private:
    static void onKey(GLFWwindow* window, int key, int scancode, int action, int mods);
    static void onScroll(GLFWwindow* window, double x, double notches);

    GLFWwindow* window;
    StudyControls& controls;
    double cursorX = 0.0;
    double cursorY = 0.0;
};

}  // namespace Quessel::Study
