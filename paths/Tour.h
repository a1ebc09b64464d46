#pragma once
#include "paths/CameraPath.h"
#include "math/Framing.h"

#include <vector>

namespace Quessel {

// A path made for any scene: a slow orbit from the framed view round the scene, every
// corner of its box in view all the way; then, with reflective or refractive objects, round
// once more, stopping at each object's side of the scene for a turn towards it, a move up
// to it, a hold in front of it and the way back out, ending where the orbit began so that
// it loops.
class Tour {
public:
    // An object the tour visits: the middle of its meshes and their radius.
    struct Stop {
        vec3 centre;
        float radius;
    };

    static constexpr int OrbitMoves = 24;
    static constexpr float OrbitMoveSeconds = 1.0f;
    static constexpr float TurnSeconds = 1.0f;
    static constexpr float ApproachSeconds = 3.0f;
    static constexpr float HoldSeconds = 3.0f;
    // How far in front of an object the camera holds, in its radii.
    static constexpr float StopDistance = 2.5f;

    static CameraPath::Script make(const Framing& framing, const std::vector<Stop>& stops);

    // The orbit's height above the centre and distance from it, for every heading.
    static float orbitDistance(const Framing& framing);
};

}  // namespace Quessel
