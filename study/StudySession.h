#pragma once
#include "core/ToolReport.h"
#include "fit/DemoScene.h"
#include "harness/FrameDriver.h"
#include "study/StudyControls.h"
#include "study/StudyFacts.h"
#include "study/StudyFiles.h"
#include "study/StudyInput.h"
#include "study/StudyOverlay.h"
#include "study/ViewRenderer.h"

#include <array>
#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <string>

namespace Quessel {
class Demo;
}

namespace Quessel::Study {

// The study tool's frame loop over a set-up demo: keys and mouse in (StudyInput), the demo's
// frame (or one of its targets or cube maps) out, with the overlay's facts (StudyFacts) and
// the files it writes (StudyFiles), until Escape or the window closes.
class StudySession {
public:
    StudySession(Demo& demo, const ToolReport& report);

    // Frames of 1/30 s until the demo clock reaches `time`, as a run from 0 has drawn them,
    // with only the work that carries to later frames done; the window shows how far it has
    // come. -1 when it got there; else the exit status (Escape: 0, Ctrl-C: 130).
    int startAt(double time);
    // The exit status: 0 on Escape or close, 128 + signal on Ctrl-C.
    int run();
    // One frame drawn into a PNG, with the share of it the scene fills and how bright it is
    // there said, and its camera into the path file `viewFile`; either may be empty. The exit
    // status.
    int shoot(const std::string& file, const std::string& viewFile);
    // One frame of the loop, presented; true when it is to end.
    bool frame();
    // What ended run() when a scene is to open in the window instead: a file dropped on it
    // that passed the checks before opening (DemoHost::refusal), or this scene with a node
    // made to mirror or refract, or no longer. None when run() ended otherwise.
    const std::optional<DemoScene>& next() const { return reopening; }
    // The command line that opens `scene` as it is set up.
    static std::string options(const DemoScene& scene);
    // The wall time between the last two frames.
    double lastFrameMs() const { return recentFrames.empty() ? 0.0 : recentFrames.back(); }

    Demo& demo;
    FrameDriver driver;
    StudyControls controls;

private:
    using Clock = std::chrono::steady_clock;

    // The view F2 chose, over the composite.
    void drawView();
    // Times the passes of some frames while the overlay is shown; none otherwise.
    void observePasses();
    // After the swap of a timed frame: the pass times of the timed frame before it, whose
    // queries are done by now.
    void collectPassTimes();
    void reloadShaders();
    // The box of a row of the node tree and the rows below it, where it is drawn.
    static Bounds nodeBox(const SceneFitting& fitting, int row);
    // What the user asked of a node in the node list; true when the scene is to open again.
    bool act(const NodeAction& action);

    const ToolReport& report;
    StudyInput input;
    StudyFiles files;
    ViewRenderer views;
    bool viewsReady = false;
    StudyOverlay overlay;
    // The overlay's figures of the session: frame times, pass times, the last F5's result.
    StudyFacts::Session figures;
    // Two timers in turn, so reading one frame's queries never waits for the frame in flight.
    std::array<std::unique_ptr<PassTimer>, 2> timers;
    int timerInUse = 0;
    int framesShown = 0;
    bool timedFrame = false;
    std::deque<double> recentFrames;
    Clock::time_point lastFrame = Clock::now();
    std::optional<DemoScene> reopening;
    // What the user did in the node list, acted on after the frame is presented.
    NodeAction pendingAction;
    // The path whose lap `figures.lap` gives.
    size_t lapRows = ~size_t(0);
    double lapSeconds = -1.0;
};

}  // namespace Quessel::Study
