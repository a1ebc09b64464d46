#pragma once
#include "math/MathTypes.h"

namespace Quessel {

class Camera;

// The scripted fly-through: a looping table of moves, turns and holds that drives the
// camera's timed operations once per frame.
class CameraPath {
public:
    enum class Kind { Move, Turn, Hold };
    struct Step {
        Kind kind;
        float duration;
        vec3 from;
        vec3 to;
        int next;
    };
    static constexpr int StepCount = 17;
    static const Step steps[StepCount];
    static const vec3 points[6];
    static const vec3 directions[9];

    explicit CameraPath(Camera& camera);

    // Places the camera at the path's start; call once after set-up.
    void start();
    // One frame of the path with the frame's time step in seconds.
    void advance(float dt);

    int step = 0;

private:
    bool run(const Step& row, float dt);
    Camera& camera;
};

}  // namespace Quessel
