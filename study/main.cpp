// quessel-study: the demo's own start-up, set-up and frames with a pause, a single step,
// a free camera, the off-screen targets and cube maps on screen, shader reloading,
// screenshots and an overlay.
#include "app/Demo.h"
#include "app/Startup.h"
#include "core/ToolReport.h"
#include "study/StudyOptions.h"
#include "study/StudySession.h"

#include <GLFW/glfw3.h>

#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    using namespace Quessel;
    using namespace Quessel::Study;
    const ToolReport report("quessel-study");
    StudyOptions options;
    std::string text;
    switch (StudyOptions::parse(argc, argv, options, text)) {
    case StudyOptions::Outcome::Help: std::fputs(text.c_str(), stdout); return 0;
    case StudyOptions::Outcome::Bad: return report.badOptions(text);
    case StudyOptions::Outcome::Run: break;
    }
    ToolReport::catchStopSignals();
    // The demo's start-up ends the process with its own message when GLFW cannot start;
    // asked first, the tool can say why.
    if (!glfwInit()) return report.fail("GLFW could not start: no display (is DISPLAY set?)");

    initGlfw();
    GLFWwindow* window = openWindow();
    initGlew(window);
    setInitialGlState();
    Demo demo(window);
    if (!options.scene.empty()) {
        demo.scenePath = options.scene;
        // Its images beside it first, then where the demo finds its own.
        demo.imageFolders = {std::filesystem::path(options.scene).parent_path().string()};
    }
    if (!demo.setup()) {
        glfwTerminate();
        return report.fail("set-up failed: the scene " + demo.scenePath +
                           " could not be imported (see the messages above)");
    }
    StudySession session(demo, report);
    session.startAt(options.start);
    const int status = options.overlayCost > 0 ? session.measureOverlay(options.overlayCost) : session.run();
    glfwTerminate();
    return status;
}
