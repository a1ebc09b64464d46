#include "app/Demo.h"
#include "app/Startup.h"

#include <GLFW/glfw3.h>

// Start-up, scene set-up, the frame loop until Escape or close, shutdown.
int main() {
    using namespace Quessel;
    initGlfw();
    GLFWwindow* window = openWindow();
    initGlew(window);
    setInitialGlState();

    Demo demo(window);
    if (!demo.setup()) {
        glfwTerminate();
        return 2;
    }
    bool stop = false;
    while (!stop) {
        demo.renderFrame(demo.timeStep());
        stop = demo.present();
    }
    glfwTerminate();
    return 0;
}
