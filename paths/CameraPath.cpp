#include "paths/CameraPath.h"

#include "paths/PathRules.h"
#include "math/Camera.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Quessel {

const vec3 CameraPath::points[6] = {
    {8.865234f, 9.347880f, 19.188326f}, {1.167896f, 4.862509f, 7.776461f},  {-2.077967f, 2.140573f, 14.752897f},
    {-4.114920f, 6.584050f, 8.871492f}, {-2.732610f, 5.016881f, 0.116311f}, {-3.752654f, 6.259526f, 14.664780f},
};

// V8 is P0 - P5 and not normalised: turn() normalises whatever it interpolates.
const vec3 CameraPath::directions[9] = {
    {-0.535610f, -0.309817f, -0.785580f}, {-0.391355f, -0.361615f, 0.846212f}, {-0.421221f, -0.333487f, 0.843421f},
    {-0.775205f, -0.276356f, -0.568053f}, {-0.266355f, 0.581035f, -0.769060f}, {0.153433f, -0.179030f, -0.971806f},
    {0.153571f, -0.174108f, -0.972678f},  {-0.069689f, 0.084897f, 0.993950f},  {12.617888f, 3.088354f, 4.523546f},
};

namespace {
using K = CameraPath::Kind;
const vec3& P(int i) { return CameraPath::points[i]; }
const vec3& V(int i) { return CameraPath::directions[i]; }
const vec3 none(0.0f);
}  // namespace

const CameraPath::Row CameraPath::table[RowCount] = {
    {K::Move, 5.0f, P(0), P(1), 1},  {K::Hold, 12.0f, none, none, 2}, {K::Turn, 1.0f, V(0), V(1), 3},
    {K::Move, 2.0f, P(1), P(2), 4},  {K::Hold, 4.0f, none, none, 5},  {K::Turn, 1.0f, V(2), V(3), 6},
    {K::Hold, 8.0f, none, none, 7},  {K::Turn, 1.0f, V(3), V(4), 8},  {K::Move, 1.0f, P(2), P(3), 9},
    {K::Turn, 1.0f, V(4), V(5), 10}, {K::Move, 1.0f, P(3), P(4), 11}, {K::Hold, 8.0f, none, none, 12},
    {K::Turn, 1.0f, V(6), V(7), 13}, {K::Move, 1.0f, P(4), P(5), 14}, {K::Turn, 1.0f, V(7), V(8), 15},
    {K::Move, 1.0f, P(5), P(0), 16}, {K::Turn, 1.0f, V(8), V(0), 0},
};

CameraPath::Script CameraPath::Script::demo() { return {points[0], points[1], {table, table + RowCount}}; }

double CameraPath::Script::seconds() const {
    double total = 0.0;
    for (const Row& row : rows) total += row.duration;
    return total;
}

void CameraPath::Script::add(Kind kind, float seconds, const vec3& from, const vec3& to) {
    if (!rows.empty()) rows.back().next = static_cast<int>(rows.size());
    rows.push_back({kind, seconds, from, to, 0});
}

void CameraPath::Script::addAimedMove(float seconds, const vec3& from, const vec3& to, const vec3& target) {
    add(Kind::Move, seconds, from, to);
    rows.back().aimed = true;
    rows.back().target = target;
}

namespace {
// A direction between `a` and `b` that neither half of a turn passes straight up or down on
// the way to: across the vertical at right angles to `a`, on `b`'s side, half-way up.
vec3 sideways(const vec3& a, const vec3& b) {
    vec3 flat(a.x, 0.0f, a.z);
    if (glm::length(flat) < 1e-6f) flat = vec3(b.x, 0.0f, b.z);
    if (glm::length(flat) < 1e-6f) flat = vec3(0.0f, 0.0f, -1.0f);
    vec3 side = glm::normalize(vec3(-flat.z, 0.0f, flat.x));
    if (glm::dot(side, b) < 0.0f) side = -side;
    const float y = (a.y + b.y) / 2.0f;
    return glm::normalize(side * std::sqrt(std::max(0.0f, 1.0f - y * y)) + vec3(0.0f, y, 0.0f));
}
}  // namespace

void CameraPath::Script::addTurn(float seconds, const vec3& from, const vec3& to) {
    const vec3 a = glm::normalize(from), b = glm::normalize(to);
    if (glm::dot(a, b) >= -0.5f && PathRules::turnKeepsUp(a, b)) {
        add(Kind::Turn, seconds, a, b);
        return;
    }
    vec3 between = a + b;
    if (glm::length(between) < 1e-3f) between = glm::cross(a, vec3(0.0f, 1.0f, 0.0f));
    if (glm::length(between) < 1e-3f) between = vec3(1.0f, 0.0f, 0.0f);
    between = glm::normalize(between);
    // Between two views on either side of the vertical, the way over the top would look
    // straight up or down on the way: round it instead.
    if (!PathRules::turnKeepsUp(a, between) || !PathRules::turnKeepsUp(between, b)) between = sideways(a, b);
    add(Kind::Turn, seconds / 2.0f, a, between);
    add(Kind::Turn, seconds / 2.0f, between, b);
}

void CameraPath::Script::removeLast() {
    if (rows.empty()) return;
    rows.pop_back();
    if (!rows.empty()) rows.back().next = 0;
}

CameraPath::CameraPath(Camera& camera, Script script) : camera(camera), playing(std::move(script)) {}

void CameraPath::start() {
    camera.init(playing.start, playing.startTarget);
    step = 0;
    laps = 0;
}

void CameraPath::restart() {
    camera.place(playing.start, playing.startTarget);
    step = 0;
    laps = 0;
}

void CameraPath::play(Script script) {
    playing = std::move(script);
    restart();
}

bool CameraPath::run(const Row& row, float dt) {
    switch (row.kind) {
    case Kind::Move:
        return row.aimed ? camera.moveLooking(row.duration, dt, row.from, row.to, row.target)
                         : camera.move(row.duration, dt, row.from, row.to);
    case Kind::Turn: return camera.turn(row.duration, dt, row.from, row.to);
    case Kind::Hold: return camera.hold(row.duration, dt);
    }
    return false;
}

float CameraPath::rowTime() const { return camera.pathTime; }

void CameraPath::advance(float dt) {
    // A path without rows leaves the camera where it started.
    if (playing.rows.empty()) return;
    const Row& row = playing.rows[step];
    if (!run(row, dt)) return;
    step = row.next;
    laps += step == 0;
    // A hold right after a move or turn already counts the finishing frame's time.
    const Row& following = playing.rows[step];
    if (row.kind != Kind::Hold && following.kind == Kind::Hold && run(following, dt)) {
        step = following.next;
        laps += step == 0;
    }
}

}  // namespace Quessel
