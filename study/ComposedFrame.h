#pragma once
#include "app/IPassObserver.h"

namespace Quessel {
class FrameDriver;
}

namespace Quessel::Study {

class FreeCamera;

// A frame drawn from the demo's own passes around a camera the path does not move: the
// camera holds still (paused) or flies freely. Demo::renderFrame would step the path, the
// light and the cube-map rotation and give the composite 1 / dt; here only a positive step
// moves the clock, the light, the rotation and the smoke, so a step of 0 draws the same
// picture every time.
class ComposedFrame {
public:
    // The composite's time step: its blur shows the camera's motion between two drawn
    // frames as a 30 fps recording of it would, whatever the wall clock did in between.
    static constexpr double CompositeStep = 1.0 / 30.0;

    explicit ComposedFrame(FrameDriver& driver);

    // `step` demo seconds (0 when paused) around the camera held where it is (no
    // `flight`) or flown by `flight`; every pass is told to the demo's observer.
    void draw(double step, const FreeCamera* flight);

private:
    template <typename Work>
    void timed(Pass pass, Work work);

    FrameDriver& driver;
};

}  // namespace Quessel::Study
