#pragma once
#include "math/CameraPose.h"

#include <functional>
#include <utility>

namespace Quessel {

// What one frame of the demo does, and the time it is drawn at. The demo's own frame follows
// its camera path by the GLFW clock's step; every other frame (recorded, measured, paused, stepped, flown, or one
// that only brings the demo to a later time) is the same frame with another plan.
struct FramePlan {
    enum class Camera {
        Path,   // the camera path takes the step
        Hold,   // the camera stays; its previous view becomes its view, so nothing blurs
        Given,  // the camera takes `pose`; the view it had becomes its previous view
    };
    enum class Refresh {
        None,   // no cube map is redrawn
        Next,   // the rotation moves on and that renderer redraws its cube map
        Every,  // every cube map is redrawn in rotation order, the rotation staying where it is
    };

    // Demo seconds the frame moves on: the path (on Path), the light, the cube-map
    // renderers' update and the smoke.
    double step = 0.0;
    Camera camera = Camera::Path;
    CameraPose pose;
    Refresh refresh = Refresh::Next;
    // The step the composite blurs with (its "fps" is 1 / this).
    double compositeStep = 0.0;
    // The demo time the smoke is simulated to, asked when its pass runs: quessel's GLFW
    // clock there, a tool's driver the time its clock reached. The frame keeps no clock.
    std::function<double()> time;
    // False: only the work whose results carry to later frames (path, light, cube maps,
    // smoke simulation); nothing is drawn into the targets or the window.
    bool draw = true;

    // The demo's own frame of `dt` seconds, its time still to be given.
    static FramePlan running(double dt, std::function<double()> time = {}) {
        FramePlan plan;
        plan.step = dt;
        plan.compositeStep = dt;
        plan.time = std::move(time);
        return plan;
    }
};

}  // namespace Quessel
