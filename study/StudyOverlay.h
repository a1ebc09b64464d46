#pragma once
#include "harness/PassTimer.h"
#include "math/MathTypes.h"

#include <string>
#include <vector>

struct GLFWwindow;

namespace Quessel::Study {

// What the overlay shows about the frame just drawn.
struct OverlayFacts {
    double frameMs = 0.0;     // wall clock between two frames, averaged
    double cpuMs = 0.0;       // issuing the frame, up to its swap
    double gpuMs = 0.0;       // the passes' GPU time, summed
    PassTimer::Times passes;  // of the frame before (its queries are done by now)
    std::string pathRow;
    std::string rowsTitle;          // the path playing, or the one being made
    std::vector<std::string> rows;  // some of its rows, the current one marked
    double demoTime = 0.0;
    vec3 position{0.0f};
    vec3 direction{0.0f};
    std::string refreshed;  // the cube map refreshed this frame, or why none was
    bool paused = false;
    bool freeFlight = false;
    std::string view;
    int glErrors = 0;
    std::string reload;  // the last F5's result
    std::string reloadLog;
    std::string light;      // which light lights the scene
    std::string sceneSize;  // a brought scene's size and flight speed; empty for the demo's own
    std::string material;   // a brought scene's mesh under the mouse and its material
    std::string aim;        // while flying: where L-made moves look
    std::string cameras;    // the file's cameras, and the one C went to
    // The scene's node tree, a line a node (the session's, made once); none: no list.
    const std::vector<std::string>* nodes = nullptr;
};

// What the user did with a node of the list: framed it, made it mirror or refract (or
// stop), or copied the options that open the scene as it is now.
struct NodeAction {
    enum class Kind { None, Frame, Mirror, Glass, Copy } kind = Kind::None;
    int row = -1;
};

// F1: Dear ImGui in the window's top-left corner. Nothing of ImGui starts before the first
// time it is shown, and a hidden overlay is not drawn at all, so it makes no GL call.
class StudyOverlay {
public:
    explicit StudyOverlay(GLFWwindow* window);
    ~StudyOverlay();
    StudyOverlay(const StudyOverlay&) = delete;
    StudyOverlay& operator=(const StudyOverlay&) = delete;

    // Draws into the window's back buffer; `wallStep` seconds since the last frame. What
    // the user did with a node of the node list (its row in `facts.nodes`).
    NodeAction draw(const OverlayFacts& facts, double wallStep);
    // Whether the mouse is over the node list (so it drags no view).
    bool wantsMouse() const;

private:
    void start();
    void timings(const OverlayFacts& facts);
    NodeAction nodeList(const OverlayFacts& facts);

    GLFWwindow* window;
    bool started = false;
};

}  // namespace Quessel::Study
