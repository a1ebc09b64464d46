#include "app/Tour.h"

#include <algorithm>
#include <cmath>

namespace Quessel {

namespace {
// The framed view's direction turned by `turn` radians about the vertical.
vec3 lookingAt(float turn) {
    const vec3 start = Framing::threeQuarter();
    const float c = std::cos(turn), s = std::sin(turn);
    return vec3(c * start.x + s * start.z, start.y, -s * start.x + c * start.z);
}
}  // namespace

float Tour::orbitDistance(const Framing& framing) {
    // The box must fit from every heading on the way, not only at the corners of the orbit,
    // and the straight moves between them pass a little nearer the middle.
    float distance = 0.0f;
    constexpr int Headings = OrbitMoves * 8;
    for (int k = 0; k < Headings; ++k)
        distance = std::max(distance, framing.viewDistance(lookingAt(6.2831853f * k / Headings)));
    return distance / std::cos(3.14159265f / OrbitMoves);
}

CameraPath::Script Tour::make(const Framing& framing, const std::vector<Stop>& stops) {
    const vec3 centre = framing.bounds.centre();
    const float distance = orbitDistance(framing);
    const auto orbitPoint = [&](int k) {
        return centre - lookingAt(6.2831853f * static_cast<float>(k % OrbitMoves) / OrbitMoves) * distance;
    };
    CameraPath::Script script;
    script.start = orbitPoint(0);
    script.startTarget = centre;
    for (int k = 0; k < OrbitMoves; ++k) script.addAimedMove(OrbitMoveSeconds, orbitPoint(k), orbitPoint(k + 1), centre);

    for (const Stop& stop : stops) {
        // In front of the object on the side the orbit starts from, seeing it whole.
        const vec3 away = script.start - stop.centre;
        const float length = glm::length(away);
        if (!(length > 0.0f)) continue;
        const vec3 front = stop.centre + away / length * std::min(StopDistance * stop.radius, 0.9f * length);
        if (glm::distance(front, script.start) < 1e-4f * distance) continue;
        script.addTurn(TurnSeconds, centre - script.start, stop.centre - script.start);
        script.addAimedMove(ApproachSeconds, script.start, front, stop.centre);
        script.add(CameraPath::Kind::Hold, HoldSeconds);
        script.addTurn(TurnSeconds, stop.centre - front, centre - front);
        script.addAimedMove(ApproachSeconds, front, script.start, centre);
    }
    return script;
}

}  // namespace Quessel
