#pragma once
#include "app/FramePlan.h"
#include "fit/SceneFitting.h"
#include "study/FreeCamera.h"
#include "study/PathDraft.h"

namespace Quessel {
class Camera;
}  // namespace Quessel

namespace Quessel::Study {

// The study tool's keys, as the controls see them (the window maps its keys onto these).
enum class StudyKey {
    Pause,
    Step,
    FreeCamera,
    Frame,
    Overlay,
    NextView,
    Reload,
    Screenshot,
    // Authoring a path while flying.
    AddView,
    AddHold,
    RemoveRow,
    Longer,
    Shorter,
    SavePath,
    // A move to this view looking at the aim point all the way.
    AimView,
    // The file's next camera, in free flight.
    NextCamera,
    // The path from its start again.
    Restart,
};

// What the window shows over the frame: nothing, one of the demo's targets, or one
// sphere's cube map.
struct View {
    enum class Kind { Frame, ColorTarget, DepthTarget, CubeMap };
    Kind kind = Kind::Frame;
    int cubeMap = 0;  // which sphere, in the demo's order, for Kind::CubeMap
};

// The study tool's state and what each key does to it; no window needed.
class StudyControls {
public:
    // The step of the `.` key, and the longest wall-clock step a running frame takes: a
    // stall (shaders relinked, a screenshot written) slows the demo instead of jumping it.
    static constexpr double SingleStep = 1.0 / 30.0;
    static constexpr double LongestStep = 0.5;
    // The blur of a frame off the path: the camera's motion between two drawn frames as a
    // 30 fps recording of it would show, whatever the wall clock did in between.
    static constexpr double CompositeStep = 1.0 / 30.0;

    // Each notch of the mouse wheel makes free flight this much faster or slower.
    static constexpr float WheelFactor = 1.25f;

    // `fitting`: a brought scene's sets the flight speed by its size, and F frames it; our
    // own scene keeps the free camera's speed, and F leaves it be.
    StudyControls(Camera& camera, int cubeMaps, SceneFitting fitting = {});

    void press(StudyKey key);
    // Notches of the mouse wheel, up positive.
    void scroll(double notches);
    // Flies the free camera when it is on.
    void fly(const HeldKeys& keys, double wallStep);
    // The next frame, `wallStep` seconds after the previous one; takes a pending step. A
    // running or stepped frame on the path is the demo's own; any other is drawn around a
    // camera the path does not move (held still, or the free camera), where only a
    // positive step moves the clock, light, cube maps and smoke, so a paused frame is the
    // same picture every time.
    FramePlan plan(double wallStep);

    // True once per press of F5 / F12 / F6.
    bool takeReload();
    bool takeScreenshot();
    bool takeSavePath();
    // True once after free flight ends with rows added or taken away: the draft is to play.
    bool takeDraftToPlay();
    // True once per press of R: the path plays from its start.
    bool takeRestart();
    // Frames the box in free flight from where the camera looks (a node the overlay picked).
    void frameBox(const Bounds& box);
    // What moves added with AimView look at: the middle of the scene's framed box.
    vec3 aimPoint() const { return fitting.framing.bounds.empty() ? vec3(0.0f) : fitting.framing.bounds.centre(); }
    // The file camera NextCamera went to last; -1: none yet.
    int fileCamera() const { return cameraIndex; }
    const SceneFitting& scene() const { return fitting; }

    bool paused = false;
    bool freeFlight = false;
    bool overlay = false;
    View view;
    FreeCamera freeCamera;
    PathDraft draft;

private:
    void nextView();

    void frameScene();
    void author(StudyKey key);

    Camera& camera;
    int cubeMaps;
    const SceneFitting fitting;
    bool stepPending = false;
    bool reloadPending = false;
    bool screenshotPending = false;
    bool savePending = false;
    bool draftChanged = false;
    bool draftToPlay = false;
    bool restartPending = false;
    int cameraIndex = -1;
};

}  // namespace Quessel::Study
