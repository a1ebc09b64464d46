#pragma once
// The camera path as its description gives it, typed in apart from CameraPath's table so
// that tests check the table rather than restate it: the points, the turn directions and
// the seventeen rows, each followed by the next and the last by the first.
#include "math/MathTypes.h"

namespace Quessel::Test::PathScript {

inline const vec3 points[6] = {{8.865234f, 9.347880f, 19.188326f},  {1.167896f, 4.862509f, 7.776461f},
                               {-2.077967f, 2.140573f, 14.752897f}, {-4.114920f, 6.584050f, 8.871492f},
                               {-2.732610f, 5.016881f, 0.116311f},  {-3.752654f, 6.259526f, 14.664780f}};
inline const vec3 directions[9] = {
    {-0.535610f, -0.309817f, -0.785580f}, {-0.391355f, -0.361615f, 0.846212f}, {-0.421221f, -0.333487f, 0.843421f},
    {-0.775205f, -0.276356f, -0.568053f}, {-0.266355f, 0.581035f, -0.769060f}, {0.153433f, -0.179030f, -0.971806f},
    {0.153571f, -0.174108f, -0.972678f},  {-0.069689f, 0.084897f, 0.993950f},  {12.617888f, 3.088354f, 4.523546f}};

enum class Kind { Move, Turn, Hold };
struct Row {
    Kind kind;
    float duration;
    int from, to;      // points of a move, directions of a turn
    const char* name;  // of the path test's reference picture
};
constexpr int RowCount = 17;
inline const Row rows[RowCount] = {
    {Kind::Move, 5, 0, 1, "path-00-move-p0-p1"}, {Kind::Hold, 12, 0, 0, "path-01-hold-p1"},
    {Kind::Turn, 1, 0, 1, "path-02-turn-p1"},    {Kind::Move, 2, 1, 2, "path-03-move-p1-p2"},
    {Kind::Hold, 4, 0, 0, "path-04-hold-p2"},    {Kind::Turn, 1, 2, 3, "path-05-turn-p2"},
    {Kind::Hold, 8, 0, 0, "path-06-hold-p2"},    {Kind::Turn, 1, 3, 4, "path-07-turn-p2"},
    {Kind::Move, 1, 2, 3, "path-08-move-p2-p3"}, {Kind::Turn, 1, 4, 5, "path-09-turn-p3"},
    {Kind::Move, 1, 3, 4, "path-10-move-p3-p4"}, {Kind::Hold, 8, 0, 0, "path-11-hold-p4"},
    {Kind::Turn, 1, 6, 7, "path-12-turn-p4"},    {Kind::Move, 1, 4, 5, "path-13-move-p4-p5"},
    {Kind::Turn, 1, 7, 8, "path-14-turn-p5"},    {Kind::Move, 1, 5, 0, "path-15-move-p5-p0"},
    {Kind::Turn, 1, 8, 0, "path-16-turn-p0"}};

// Where the camera stands after `into` seconds of a move or turn (the eye `eye` it had
// there otherwise) and which way it looks then; a hold keeps both.
struct Pose {
    vec3 position;
    vec3 forward;
};
inline Pose poseIn(const Row& row, float into, const Pose& before) {
    const float t = into / row.duration;
    switch (row.kind) {
    case Kind::Move:
        return {points[row.from] + (points[row.to] - points[row.from]) * t,
                glm::normalize(points[row.to] - points[row.from])};
    case Kind::Turn:
        return {before.position,
                glm::normalize(directions[row.from] + (directions[row.to] - directions[row.from]) * t)};
    case Kind::Hold: break;
    }
    return before;
}

// Where the lap begins: at P0 looking towards P1.
inline Pose startPose() { return {points[0], glm::normalize(points[1] - points[0])}; }

}  // namespace Quessel::Test::PathScript
