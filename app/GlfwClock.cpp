#include "app/GlfwClock.h"

#include <GLFW/glfw3.h>

namespace Quessel {

void GlfwClock::start() { previous = glfwGetTime(); }

double GlfwClock::step() {
    const double time = glfwGetTime();
    const double dt = time - previous;
    previous = time;
    return dt;
}

double GlfwClock::now() { return glfwGetTime(); }

}  // namespace Quessel
