#pragma once
#include "study/FreeCamera.h"

namespace Quessel {
class Camera;
}

namespace Quessel::Study {

// The study tool's keys, as the controls see them (the window maps its keys onto these).
enum class StudyKey { Pause, Step, FreeCamera, Overlay, NextView, Reload, Screenshot };

// What the window shows over the frame: nothing, one of the demo's targets, or one
// sphere's cube map.
struct View {
    enum class Kind { Frame, ColorTarget, DepthTarget, CubeMap };
    Kind kind = Kind::Frame;
    int cubeMap = 0;  // which sphere, in the demo's order, for Kind::CubeMap
};

// How the next frame moves the demo on.
struct FramePlan {
    // Demo seconds the frame advances: 0 leaves the clock, light, smoke and cube maps as
    // they are.
    double step = 0.0;
    // Whether the camera path takes the step: the demo's own frame. Otherwise the frame is
    // composed from its passes around a camera that holds still or flies freely.
    bool onPath = false;
};

// The study tool's state and what each key does to it; no window needed.
class StudyControls {
public:
    // The step of the `.` key, and the longest wall-clock step a running frame takes: a
    // stall (shaders relinked, a screenshot written) slows the demo instead of jumping it.
    static constexpr double SingleStep = 1.0 / 30.0;
    static constexpr double LongestStep = 0.5;

    StudyControls(Camera& camera, int cubeMaps);

    void press(StudyKey key);
    // Flies the free camera when it is on.
    void fly(const HeldKeys& keys, double wallStep);
    // The next frame, `wallStep` seconds after the previous one; takes a pending step.
    FramePlan plan(double wallStep);

    // True once per press of F5 / F12.
    bool takeReload();
    bool takeScreenshot();

    bool paused = false;
    bool freeFlight = false;
    bool overlay = false;
    View view;
    FreeCamera freeCamera;

private:
    void nextView();

    Camera& camera;
    int cubeMaps;
    bool stepPending = false;
    bool reloadPending = false;
    bool screenshotPending = false;
};

}  // namespace Quessel::Study
