#include "app/Tour.h"

#include <algorithm>
#include <cmath>

namespace Quessel {

namespace {
using Kind = CameraPath::Kind;

// The framed view's direction turned by `turn` radians about the vertical.
vec3 lookingAt(float turn) {
    const vec3 start = Framing::threeQuarter();
    const float c = std::cos(turn), s = std::sin(turn);
    return vec3(c * start.x + s * start.z, start.y, -s * start.x + c * start.z);
}

void add(CameraPath::Script& script, CameraPath::Step step) {
    step.next = 0;
    if (!script.rows.empty()) script.rows.back().next = static_cast<int>(script.rows.size());
    script.rows.push_back(step);
}

void turn(CameraPath::Script& script, const vec3& from, const vec3& to) {
    const vec3 a = glm::normalize(from), b = glm::normalize(to);
    // A turn goes straight from one direction to the other: a wide one goes by way of a
    // direction between them, so it never passes through none.
    if (glm::dot(a, b) < -0.5f) {
        vec3 between = a + b;
        if (glm::length(between) < 1e-3f) between = glm::cross(a, vec3(0.0f, 1.0f, 0.0f));
        if (glm::length(between) < 1e-3f) between = vec3(1.0f, 0.0f, 0.0f);
        turn(script, a, glm::normalize(between));
        turn(script, glm::normalize(between), b);
        return;
    }
    add(script, {Kind::Turn, Tour::TurnSeconds, a, b, 0});
}

void aimedMove(CameraPath::Script& script, float seconds, const vec3& from, const vec3& to, const vec3& target) {
    add(script, {Kind::Move, seconds, from, to, 0, true, target});
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
    for (int k = 0; k < OrbitMoves; ++k) aimedMove(script, OrbitMoveSeconds, orbitPoint(k), orbitPoint(k + 1), centre);

    for (const Stop& stop : stops) {
        // In front of the object on the side the orbit starts from, seeing it whole.
        const vec3 away = script.start - stop.centre;
        const float length = glm::length(away);
        if (!(length > 0.0f)) continue;
        const vec3 front = stop.centre + away / length * std::min(StopDistance * stop.radius, 0.9f * length);
        if (glm::distance(front, script.start) < 1e-4f * distance) continue;
        turn(script, centre - script.start, stop.centre - script.start);
        aimedMove(script, ApproachSeconds, script.start, front, stop.centre);
        add(script, {Kind::Hold, HoldSeconds, vec3(0.0f), vec3(0.0f), 0});
        turn(script, stop.centre - front, centre - front);
        aimedMove(script, ApproachSeconds, front, script.start, centre);
    }
    return script;
}

}  // namespace Quessel
