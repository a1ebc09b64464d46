#include "paths/PlacedPath.h"

namespace Quessel {

namespace {
template <typename Point>
CameraPath::Row row(CameraPath::Row step, Point point) {
    // A turn's ends are directions; a hold's are unused.
    if (step.kind == CameraPath::Kind::Move) {
        step.from = point(step.from);
        step.to = point(step.to);
        if (step.aimed) step.target = point(step.target);
    }
    return step;
}

template <typename Point>
CameraPath::Script script(const CameraPath::Script& given, Point point) {
    CameraPath::Script moved = given;
    moved.start = point(given.start);
    moved.startTarget = point(given.startTarget);
    for (CameraPath::Row& step : moved.rows) step = row(step, point);
    return moved;
}
}  // namespace

CameraPath::Script PlacedPath::drawn(const CameraPath::Script& given, const Placement& placement) {
    if (!placement.moves()) return given;
    return script(given, [&](const vec3& p) { return placement.toDrawn(p); });
}

CameraPath::Script PlacedPath::inScene(const CameraPath::Script& given, const Placement& placement) {
    if (!placement.moves()) return given;
    return script(given, [&](const vec3& p) { return placement.toScene(p); });
}

CameraPath::Row PlacedPath::rowInScene(const CameraPath::Row& given, const Placement& placement) {
    return row(given, [&](const vec3& p) { return placement.toScene(p); });
}

}  // namespace Quessel
