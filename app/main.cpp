#include "app/Demo.h"
#include "app/GlfwClock.h"
#include "app/Startup.h"

#include <GLFW/glfw3.h>

// Start-up, scene set-up, the frame loop on GLFW's clock until Escape or close, shutdown.
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
            GlfwClock clock;
            clock.start();
            bool stop = false;
            while (!stop) {
                demo.renderFrame(FramePlan::running(clock.step(), &GlfwClock::now));
                stop = demo.present();
            }
        } else {
            status = 2;
        }
    }
    glfwTerminate();
    return status;
}
