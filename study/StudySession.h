#pragma once
#include "app/FrameDriver.h"
#include "core/ToolReport.h"
#include "study/ComposedFrame.h"
#include "study/StudyControls.h"
#include "study/ViewRenderer.h"

#include <chrono>
#include <string>

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

    // Frames of 1/30 s until the demo clock reaches `time`, as a run from 0 has drawn them.
    void startAt(double time);
    // The exit status: 0 on Escape or close, 128 + signal on Ctrl-C.
    int run();

    Demo& demo;
    FrameDriver driver;
    StudyControls controls;

private:
    using Clock = std::chrono::steady_clock;

    static void onKey(GLFWwindow* window, int key, int scancode, int action, int mods);
    HeldKeys heldKeys();
    // One frame as planned, drawn up to the composite.
    void drawFrame(const FramePlan& plan);
    // The view F2 chose, over the composite.
    void drawView();
    void saveScreenshot();
    void reloadShaders();

    const ToolReport& report;
    ComposedFrame composed;
    ViewRenderer views;
    // The last F5's one-line result and, when a program kept running, the logs.
    std::string reloadSummary;
    std::string reloadLog;
    bool viewsReady = false;
    Clock::time_point lastFrame;
    double cursorX = 0.0;
    double cursorY = 0.0;
};

}  // namespace Quessel::Study
