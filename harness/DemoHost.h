#pragma once
#include "app/Demo.h"

#include <memory>
#include <string>

struct GLFWwindow;

namespace Quessel {

class ToolReport;

// The start-up of a program beside the demo in one call: GLFW, the demo's own full-screen
// window, context and GL state, then the demo set up in that window. Destroyed, it takes
// the demo down first and then GLFW, when it started it; whatever the caller made with the
// demo must go before it.
class DemoHost {
public:
    // nullptr with what to say and the status to end with when GLFW cannot start or the
    // scene cannot be set up (set-up prints the import's own messages first). A window or
    // GLEW that fails ends the process as the demo's own start-up does.
    static std::unique_ptr<DemoHost> open(DemoScene scene, SetupFailure& failure);
    // The same in a window the caller made, keeps and has made current (the tests' hidden one).
    static std::unique_ptr<DemoHost> openIn(GLFWwindow* window, DemoScene scene, SetupFailure& failure);
    // A tool's whole start-up: a path file chosen read and checked, open() (Ctrl-C ends
    // both at once, and is caught from then on), what set-up has to tell said, and the path
    // chosen (the file's, or see PathChoice::made) flown when one was chosen or the scene
    // brought. nullptr with the status the tool ends with: 2 for a path file refused, 128 +
    // the signal when Ctrl-C or SIGTERM came after the import.
    static std::unique_ptr<DemoHost> openForTool(const ToolReport& report, DemoScene scene,
                                                 const std::string& pathChoice, int& status);

    // What keeps a scene a tool is handed while it runs (a file dropped on the window) from
    // opening, told before the scene open now is taken down: not a regular file, not a
    // format Assimp reads, or more than the memory budget allows. Empty: it may open.
    static std::string refusal(const DemoScene& scene);
    // The demo taken down and another set up in the same window, said and flying its tour
    // as openForTool() does; false with why said when it cannot be set up (the window then
    // holds no demo until the next reopen()).
    bool reopen(const ToolReport& report, DemoScene scene);

    ~DemoHost();
    DemoHost(const DemoHost&) = delete;
    DemoHost& operator=(const DemoHost&) = delete;

    Demo& demo() { return *hosted; }

private:
    DemoHost(GLFWwindow* window, DemoScene scene, bool ownsGlfw);
    static std::unique_ptr<DemoHost> setUp(std::unique_ptr<DemoHost> host, SetupFailure& failure);
    // What a tool says of the scene just set up, and where it starts.
    void welcome(const ToolReport& report);

    std::unique_ptr<Demo> hosted;
    bool ownsGlfw;
};

}  // namespace Quessel
