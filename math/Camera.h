#pragma once
#include "math/MathTypes.h"

namespace Quessel {

// The demo's one viewpoint. The frame loop and the camera path drive it through timed
// operations that share `pathTime`; `previousView` feeds the motion-blur composite.
class Camera {
public:
    Camera();

    // The program-wide camera.
    static Camera& instance();

    // Rebuilds the view from the angles and prints the location/direction report when
    // the view changed.
    void updateFromAngles();
    // Only the first call has an effect.
    void init(const vec3& position, const vec3& target);
    bool move(float duration, float elapsed, const vec3& from, const vec3& to);
    // A move that looks at `target` all the way instead of along the way it goes.
    bool moveLooking(float duration, float elapsed, const vec3& from, const vec3& to, const vec3& target);
    // Stands at `position` looking at `target` with the world's up, as init() does, and
    // again whenever called; nothing blurs from the view it had.
    void place(const vec3& position, const vec3& target);
    bool turn(float duration, float elapsed, const vec3& fromDirection, const vec3& toDirection);
    bool hold(float duration, float elapsed);

    vec3 position{1.0f, 1.0f, 1.0f};
    float verticalAngle = 0.0f;
    vec3 direction{0.0f};
    vec3 right{0.0f};
    vec3 up{0.0f};
    mat4 view{1.0f};
    mat4 previousView{1.0f};
    mat4 projection{1.0f};
    float pathTime = 0.0f;
    bool initialised = false;

    static constexpr float HorizontalAngle = 3.14f;
    static constexpr float SideAngle = 1.57f;

private:
    void anglesToVectors();
    void printReport() const;
    // Advances pathTime; returns t in [0, 1] and whether the operation finished.
    float advanceTimer(float duration, float elapsed, bool& finished);
};

}  // namespace Quessel
