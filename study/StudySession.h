#pragma once
#include "app/FrameDriver.h"
#include "core/ToolReport.h"
#include "study/StudyControls.h"
#include "study/StudyOverlay.h"
#include "study/ViewRenderer.h"

#include <array>
#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <vector>

struct GLFWwindow;

namespace Quessel {
class Demo;
}

namespace Quessel::Study {

// The study tool's frame loop over a set-up demo: keys and mouse in, the demo's frame (or
// one composed from its passes) out, until Escape or the window closes.
class StudySession {
public:
    StudySession(Demo& demo, const ToolReport& report);

    // Frames of 1/30 s until the demo clock reaches `time`, as a run from 0 has drawn them,
    // with only the work that carries to later frames done; the window shows how far it has
    // come. -1 when it got there; else the exit status (Escape: 0, Ctrl-C: 130).
    int startAt(double time);
    // The exit status: 0 on Escape or close, 128 + signal on Ctrl-C.
    int run();
    // Rounds of `frames` frames with the overlay shown and `frames` with it hidden; says the
    // median frame times, the process's CPU time per frame and what the overlay adds. The
    // exit status as run()'s.
    int measureOverlay(int frames);
    // One frame drawn into a PNG, with the share of it the scene fills and how bright it is
    // there said, and its camera into the path file `viewFile`; either may be empty. The exit
    // status.
    int shoot(const std::string& file, const std::string& viewFile);

    Demo& demo;
    FrameDriver driver;
    StudyControls controls;

private:
    using Clock = std::chrono::steady_clock;

    // One frame of the loop, presented; true when it is to end.
    bool frame();
    // Frames stepped by 1/30 s with the overlay shown or not: each one's wall time and the
    // process's CPU time per frame; no times when the run was stopped.
    struct Block {
        std::vector<double> wallMs;
        double cpuMs = 0.0;
    };
    Block measuredBlock(int frames, bool shown);
    static void onKey(GLFWwindow* window, int key, int scancode, int action, int mods);
    static void onScroll(GLFWwindow* window, double x, double notches);
    HeldKeys heldKeys();
    // The view F2 chose, over the composite.
    void drawView();
    // Times the passes of some frames while the overlay is shown; none otherwise.
    void observePasses();
    // After the swap of a timed frame: the pass times of the timed frame before it, whose
    // queries are done by now.
    void collectPassTimes();
    OverlayFacts overlayFacts() const;
    std::string pathRow() const;
    std::string viewName() const;
    void saveScreenshot();
    // The last frame's camera as a path file (ViewFile); the exit status.
    int saveView(const std::string& file);
    void savePath();
    void reloadShaders();

    const ToolReport& report;
    ViewRenderer views;
    // The last F5's one-line result and, when a program kept running, the logs.
    std::string reloadSummary;
    std::string reloadLog;
    bool viewsReady = false;
    StudyOverlay overlay;
    // Two timers in turn, so reading one frame's queries never waits for the frame in flight.
    std::array<std::unique_ptr<PassTimer>, 2> timers;
    int timerInUse = 0;
    int framesShown = 0;
    bool timedFrame = false;
    PassTimer::Times passTimes;
    std::deque<double> recentFrames;
    double cpuMs = 0.0;
    Clock::time_point lastFrame;
    double cursorX = 0.0;
    double cursorY = 0.0;
};

}  // namespace Quessel::Study
