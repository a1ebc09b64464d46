#pragma once
#include "math/Bounds.h"
#include "math/CameraPose.h"
#include "math/MathTypes.h"

namespace Quessel {

// A scene seen at its own scale: where a camera stands to see all of it, the clipping
// planes its size needs and how fast to fly through it. Our courtyard keeps the demo's
// fixed numbers; these are for scenes a tool brings, whatever their units.
class Framing {
public:
    // The demo's proportions: its planes (0.1 m, 10 km) are these shares of its courtyard's
    // radius of about 25 m, so a scene of any size sees itself as the demo sees its own.
    static constexpr float ReferenceRadius = 25.0f;
    static constexpr float NearShare = 0.1f / ReferenceRadius;
    static constexpr float FarShare = 10000.0f / ReferenceRadius;
    // Free flight crosses the scene's diagonal in this many seconds.
    static constexpr float CrossingSeconds = 4.0f;
    // Room left around the scene in the view.
    static constexpr float Margin = 1.1f;

    explicit Framing(const Bounds& bounds);

    // The radius the planes and speeds follow; never 0, even for a single point.
    float radius() const { return scale; }
    float nearPlane() const { return scale * NearShare; }
    float farPlane() const { return scale * FarShare; }
    // The demo's field of view and aspect with this scene's planes.
    mat4 projection() const;
    // Metres (scene units) per second of free flight.
    float flightSpeed() const { return 2.0f * scale / CrossingSeconds; }

    // Raised three-quarter view: from the front right, above.
    static vec3 threeQuarter();
    // Looking along `direction` at the centre, far enough back for every corner of the
    // scene's box to be in view.
    CameraPose view(const vec3& direction = threeQuarter()) const;
    // How far from the centre the camera of view(direction) stands.
    float viewDistance(const vec3& direction) const;

    // Read-only in use: the radius is taken from it when made.
    Bounds bounds;

private:
    float scale;
};

}  // namespace Quessel
