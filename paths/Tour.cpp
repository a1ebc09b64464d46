#include "paths/Tour.h"

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
    constexpr float FullTurn = 6.2831853f;
    const vec3 centre = framing.bounds.centre();
    const float distance = orbitDistance(framing);
    CameraPath::Script script;
    script.start = centre - lookingAt(0.0f) * distance;
    // A full turn comes back to the very start, so the path loops without a jump.
    const auto orbitPoint = [&](float turn) {
        return turn >= FullTurn - 1e-6f ? script.start : centre - lookingAt(turn) * distance;
    };
    script.startTarget = centre;
    // Round the orbit from one angle to a later one, a move per step of a full turn's share.
    float at = 0.0f;
    const auto orbitTo = [&](float until) {
        const float share = FullTurn / OrbitMoves;
        while (until - at > 1e-4f) {
            const float next = std::min(until, at + share);
            script.addAimedMove(OrbitMoveSeconds * (next - at) / share, orbitPoint(at), orbitPoint(next), centre);
            at = next;
        }
    };
    orbitTo(FullTurn);
    if (stops.empty()) return script;

    // Then round once more, stopping at each object's side of the scene to go up to it (the
    // middle of the scene behind it, mostly) and back out.
    at = 0.0f;
    std::vector<std::pair<float, Stop>> visits;
    const vec3 startSide = script.start - centre;
    for (const Stop& stop : stops) {
        const vec3 side = stop.centre - centre;
        float turn = std::atan2(side.x, side.z) - std::atan2(startSide.x, startSide.z);
        if (std::abs(side.x) + std::abs(side.z) < 1e-6f * distance) turn = 0.0f;
        turn = std::fmod(std::fmod(turn, FullTurn) + FullTurn, FullTurn);
        visits.emplace_back(turn, stop);
    }
    std::stable_sort(visits.begin(), visits.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [turn, stop] : visits) {
        orbitTo(turn);
        const vec3 from = orbitPoint(at);
        const vec3 out = from - stop.centre;
        const float length = glm::length(out);
        if (!(length > 0.0f)) continue;
        const vec3 front = stop.centre + out / length * std::min(StopDistance * stop.radius, 0.9f * length);
        script.addTurn(TurnSeconds, centre - from, stop.centre - from);
        script.addAimedMove(ApproachSeconds, from, front, stop.centre);
        script.add(CameraPath::Kind::Hold, HoldSeconds);
        script.addTurn(TurnSeconds, stop.centre - front, centre - front);
        script.addAimedMove(ApproachSeconds, front, from, centre);
    }
    orbitTo(FullTurn);
    return script;
}

}  // namespace Quessel
