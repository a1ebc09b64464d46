#pragma once

struct GLFWwindow;

namespace Quessel {

// Start-up from nothing to a current 4.3 core context in a full-screen window. Each step
// returns only on success; a failure prints its fixed message and ends the process.
void initGlfw();
// GLFW and the window's hints; false, saying nothing, when GLFW cannot start.
bool startGlfw();
GLFWwindow* openWindow();
void initGlew(GLFWwindow* window);
// The GL state every pass relies on for the whole run.
void setInitialGlState();

// Stands in for the Windows "pause": waits for a key only when someone can press one.
void pauseForKey();

}  // namespace Quessel
