#pragma once
#include "fit/NodeTree.h"
#include "paths/CameraPath.h"
#include "study/StudyOverlay.h"

#include <string>
#include <vector>

namespace Quessel {
class DemoView;
class Placement;
}  // namespace Quessel

namespace Quessel::Study {

class StudyControls;

// What the overlay shows, gathered from the demo's view, the controls and the session's
// own figures; nothing here draws or reads GL.
class StudyFacts {
public:
    // The session's own figures: its frames' times and the last reload.
    struct Session {
        double frameMs = 0.0;
        double cpuMs = 0.0;
        PassTimer::Times passes;
        double demoTime = 0.0;
        std::string reload;
        std::string reloadLog;
        // How long a lap of the path playing lasts when recorded (see lapLength).
        std::string lap;
        // The node tree's lines (nodeLines), made once for the scene.
        std::vector<std::string> nodes;
        // The cursor in window pixels (x right, y down).
        double cursorX = -1.0;
        double cursorY = -1.0;
    };

    static OverlayFacts of(const DemoView& demo, const StudyControls& controls, const Session& session);
    // The row the camera flies: its number, kind, from / to and the time into it.
    static std::string pathRow(const DemoView& demo);
    // A lap of `script` as the recorder counts it at 30 and at 10 frames per second: each
    // row ends on a frame boundary, so at a low rate a lap lasts longer than its rows.
    static std::string lapLength(const CameraPath::Script& script);
    // The node tree, a line a node as --list prints it.
    static std::vector<std::string> nodeLines(const std::vector<NodeRow>& rows);
    // The view F2 chose.
    static std::string viewName(const StudyControls& controls, size_t cubeMaps);
    // Some rows of a path around the one marked, in the scene's own coordinates, the demo's
    // points and directions by their names.
    static std::vector<std::string> rowList(const CameraPath::Script& script, int marked, const Placement& placement);
};

}  // namespace Quessel::Study
