#pragma once
#include "app/FramePlan.h"
#include "math/Camera.h"
#include "math/MathTypes.h"

namespace Quessel::Study {

// What free flight reads each frame: the keys held down and the mouse drag since the
// previous frame.
struct HeldKeys {
    bool forward = false;  // W
    bool back = false;     // S
    bool left = false;     // A
    bool right = false;    // D
    bool down = false;     // Q
    bool up = false;       // E
    bool fast = false;     // Shift
    bool turnLeft = false;
    bool turnRight = false;
    bool turnUp = false;
    bool turnDown = false;
    // Pixels the cursor moved with the left button held (x right, y down).
    double dragX = 0.0;
    double dragY = 0.0;
};

// A camera flown by hand: position, heading and pitch about the world's +Y, which is the
// up of every view on the camera path, so taking over from the path does not jump. It
// keeps the whole program-wide camera as the path left it and puts it back on leaving.
class FreeCamera {
public:
    static constexpr float Speed = 2.0f;        // metres per second in the demo's own scene
    static constexpr float FastFactor = 5.0f;   // with Shift
    static constexpr float TurnRate = 1.2f;     // radians per second, arrow keys
    static constexpr float DragRate = 0.004f;   // radians per pixel of mouse drag
    static constexpr float PitchLimit = 1.55f;  // just short of straight up or down

    // Starts where `camera` is and looks where its view looks.
    void enter(const Camera& camera);
    // Stands at `at` looking along `direction` (its heading and pitch; no roll).
    void look(const vec3& at, const vec3& direction);
    void fly(const HeldKeys& keys, float seconds);
    // Where a frame puts the camera: the view it had (the frame drawn before) becomes its
    // previous view, which the composite blurs along.
    CameraPose pose() const;
    // The camera exactly as it was on enter().
    void leave(Camera& camera) const;

    vec3 forward() const;
    mat4 view() const;

    vec3 position{0.0f};
    float heading = 0.0f;  // about +Y; 0 looks along -Z
    float pitch = 0.0f;
    // Scene units per second without Shift: a brought scene's own, the mouse wheel's choice.
    float speed = Speed;

private:
    Camera saved;
};

}  // namespace Quessel::Study
