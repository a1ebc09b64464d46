#pragma once
// The real set-up, then the product's frame driver: the real frame with chosen time steps
// and a simulated clock, so the same schedule renders the same frames.
#include "GlTestContext.h"
#include "app/Demo.h"
#include "app/FrameDriver.h"
#include "app/IPassObserver.h"
#include "app/Startup.h"

#include <GLFW/glfw3.h>

namespace Quessel::Test {

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

class FrameDriver : private SetUpDemo, public Quessel::FrameDriver {
public:
    FrameDriver() : SetUpDemo(), Quessel::FrameDriver(ownDemo) {}
    using SetUpDemo::ok;
};

}  // namespace Quessel::Test
