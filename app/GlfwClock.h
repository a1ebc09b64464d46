#pragma once

namespace Quessel {

// quessel's time: GLFW's clock, read where the frame asks for it. Each frame's step is the
// time since the previous frame began (the first, since start()).
class GlfwClock {
public:
    void start();
    // Seconds since the previous call, or since start().
    double step();
    // The clock's time now.
    static double now();

private:
    double previous = 0.0;
};

}  // namespace Quessel
