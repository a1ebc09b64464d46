#pragma once
// The real set-up, then the product's frame driver: the real frame with chosen time steps
// and a simulated clock, so the same schedule renders the same frames.
#include "GlTestContext.h"
#include "app/Demo.h"
#include "app/FrameDriver.h"
#include "app/IPassObserver.h"
#include "app/Startup.h"

#include <GLFW/glfw3.h>

namespace QuesselTest {

// Owns the demo the driver steps; set up before the driver takes it.
struct SetUpDemo {
    SetUpDemo() : ownDemo(glWindow()) {
        Quessel::setInitialGlState();
        glfwSetTime(0.0);
        ok = ownDemo.setup();
    }
    Quessel::Demo ownDemo;
    bool ok = false;
};

// Sets the GLFW clock back to the frame's simulated time right before the particle pass
// reads it: otherwise the wall time the earlier passes took (more on a busy machine)
// moves the smoke, which is noise to every picture test. Tells `next` of every pass.
class PinnedParticleClock : public Quessel::IPassObserver {
public:
    explicit PinnedParticleClock(const double& clock) : clock(clock) {}
    void beginPass(Quessel::Pass pass) override {
        if (next) next->beginPass(pass);
        if (pass == Quessel::Pass::Particles) glfwSetTime(clock);
    }
    void endPass(Quessel::Pass pass) override {
        if (next) next->endPass(pass);
    }
    Quessel::IPassObserver* next = nullptr;

private:
    const double& clock;
};

class FrameDriver : private SetUpDemo, public Quessel::FrameDriver {
public:
    FrameDriver() : SetUpDemo(), Quessel::FrameDriver(ownDemo), particleClock(clock) {
        ownDemo.observer = &particleClock;
    }
    using SetUpDemo::ok;
    // Told around every pass, after the clock is pinned for the particle pass.
    void observe(Quessel::IPassObserver* observer) { particleClock.next = observer; }

private:
    PinnedParticleClock particleClock;
};

}  // namespace QuesselTest
