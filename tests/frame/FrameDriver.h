#pragma once
// Runs the real set-up and the real frame with chosen time steps and a chosen clock,
// so the same schedule renders the same frames.
#include "GlTestContext.h"
#include "app/Demo.h"
#include "app/Startup.h"

#include <GLFW/glfw3.h>

#include <memory>

namespace QuesselTest {

class FrameDriver {
public:
    FrameDriver() : demo(glWindow()) {
        Quessel::setInitialGlState();
        glfwSetTime(0.0);
        ok = demo.setup();
    }

    // One frame of dt seconds; the clock the particle pass reads is moved on first.
    void frame(double dt) {
        clock += dt;
        glfwSetTime(clock);
        demo.renderFrame(dt);
    }

    // Frames of `step` seconds until the clock reaches `until`.
    void runUntil(double until, double step) {
        while (clock + step <= until + 1e-9) frame(step);
    }

    Quessel::Demo demo;
    bool ok = false;
    double clock = 0.0;
};

}  // namespace QuesselTest
