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

    int status = 0;
    {
        Demo demo(window);
        if (demo.setup()) {
            bool stop = false;
            while (!stop) {
                demo.renderFrame(FramePlan::running(demo.timeStep()));
                stop = demo.present();
            }
        } else {
            status = 2;
        }
    }
    glfwTerminate();
    return status;
}
