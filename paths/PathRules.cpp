#include "paths/PathRules.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace Quessel {

namespace {
using dvec3 = glm::dvec3;
using Kind = CameraPath::Kind;

const char* const NoUp = "every view keeps the world's up (+Y), which a view straight up or down cannot";

// The directions a view looks along while a row runs, a + (b - a) t for t from 0 to 1 (a
// turn interpolates so, a move looking at a point too), made by floats from coordinates
// of about `scale`; no view may come nearer the vertical than `tilt` (a sine).
struct Sweep {
    dvec3 a;
    dvec3 b;
    double scale;
    double tilt = PathRules::LeastTilt;
};

enum class Fault { None, NoDirection, Vertical };

struct Found {
    Fault fault = Fault::None;
    double at = 0.0;  // t where it happens
    bool upwards = false;
};

// Where on the segment from a to b the point nearest the origin lies, 0 to 1.
double nearestToOrigin(const dvec3& a, const dvec3& b) {
    const dvec3 along = b - a;
    const double squared = glm::dot(along, along);
    return squared > 0.0 ? std::clamp(-glm::dot(a, along) / squared, 0.0, 1.0) : 0.0;
}

dvec3 across(const dvec3& v) { return {v.x, 0.0, v.z}; }

Found examine(const Sweep& sweep) {
    const dvec3 a = sweep.a, along = sweep.b - sweep.a;
    const auto at = [&](double t) { return a + along * t; };
    const double least = PathRules::LeastShare * sweep.scale;
    const double nearest = nearestToOrigin(a, sweep.b);
    if (!(glm::length(at(nearest)) > least)) return {Fault::NoDirection, nearest};
    // Its part across the vertical lost in the coordinates' rounding...
    const double flattest = nearestToOrigin(across(a), across(sweep.b));
    if (!(glm::length(across(at(flattest))) > least)) return {Fault::Vertical, flattest, at(flattest).y > 0.0};
    // ... or within `tilt` of the vertical somewhere: (1 - s²)|across|² - s² y² ≤ 0, a
    // quadratic in t, lowest at an end or at its vertex.
    const double s2 = sweep.tilt * sweep.tilt, c = 1.0 - s2;
    const dvec3 h0 = across(a), hd = across(along);
    const double qa = c * glm::dot(hd, hd) - s2 * along.y * along.y;
    const double qb = 2.0 * (c * glm::dot(h0, hd) - s2 * a.y * along.y);
    const double qc = c * glm::dot(h0, h0) - s2 * a.y * a.y;
    const double vertex = qa > 0.0 ? std::clamp(-qb / (2.0 * qa), 0.0, 1.0) : 0.0;
    for (const double t : {0.0, 1.0, vertex})
        if ((qa * t + qb) * t + qc <= 0.0) return {Fault::Vertical, t, at(t).y > 0.0};
    return {};
}

std::string when(double t) {
    if (t < 1e-6) return "at its start";
    if (t > 1.0 - 1e-6) return "at its end";
    return fmt::format("{:.3g} % into its seconds", t * 100.0);
}

const char* way(bool upwards) { return upwards ? "up" : "down"; }

dvec3 wide(const vec3& v) { return dvec3(v); }

double largest(std::initializer_list<vec3> points) {
    double size = 0.0;
    for (const vec3& point : points) size = std::max(size, glm::length(wide(point)));
    return size;
}

// The camera adds a unit direction to where it stands for a turn and at the start: far
// from the origin the floats round that direction away, and the more so near the vertical.
std::optional<std::string> tooFar(const dvec3& from, const dvec3& to, double distance) {
    const double share = PathRules::LeastShare * distance;
    if (share < PathRules::LeastTilt) return std::nullopt;
    const std::string where = fmt::format("{:.3g} from the origin", distance);
    if (share >= 1.0) return "looks round " + where + ", too far for the camera's floats to hold a direction";
    if (examine({glm::normalize(from), glm::normalize(to), 1.0, share}).fault == Fault::None) return std::nullopt;
    return "looks nearly straight up or down " + where + ", too far for the camera's floats to hold such a view";
}

std::optional<std::string> startProblem(const CameraPath::Script& script) {
    const dvec3 look = wide(script.startTarget) - wide(script.start);
    const Found found = examine({look, look, largest({script.start, script.startTarget})});
    if (found.fault == Fault::NoDirection) return std::string("looks at the point it stands on");
    if (found.fault == Fault::Vertical)
        return fmt::format("looks straight {} at its \"looking_at\" point: {}; move the point a little to the side",
                           way(found.upwards), NoUp);
    return tooFar(look, look, glm::length(wide(script.start)));
}

std::optional<std::string> moveProblem(const CameraPath::Row& row) {
    if (!row.aimed) {
        const dvec3 ahead = wide(row.to) - wide(row.from);
        const Found found = examine({ahead, ahead, largest({row.from, row.to})});
        if (found.fault == Fault::NoDirection)
            return std::string("a move from a point to the same point (or too near it to tell the way it goes)");
        if (found.fault == Fault::Vertical)
            return fmt::format(
                "a move straight {}: it looks the way it goes, and {}; give it a \"looking_at\" point to the side",
                way(found.upwards), NoUp);
        return std::nullopt;
    }
    const dvec3 target = wide(row.target);
    const Found found =
        examine({target - wide(row.from), target - wide(row.to), largest({row.from, row.to, row.target})});
    if (found.fault == Fault::NoDirection)
        return found.at < 1e-6 ? std::string("starts on its \"looking_at\" point, where it has no direction to look")
               : found.at > 1.0 - 1e-6
                   ? std::string("ends on its \"looking_at\" point, where it has no direction to look")
                   : fmt::format("passes through its \"looking_at\" point {}, where it has no direction to look",
                                 when(found.at));
    if (found.fault == Fault::Vertical)
        return fmt::format("looks straight {} at its \"looking_at\" point {}: {}", way(found.upwards), when(found.at),
                           NoUp);
    return std::nullopt;
}

std::optional<std::string> turnProblem(const CameraPath::Row& row, double distance) {
    const dvec3 from = wide(row.from), to = wide(row.to);
    if (!(glm::length(from) > 0.0) || !(glm::length(to) > 0.0)) return std::string("a turn from or to no direction");
    const Found found = examine({glm::normalize(from), glm::normalize(to), 1.0});
    if (found.fault == Fault::NoDirection) return std::string("a turn between opposite directions");
    if (found.fault == Fault::Vertical)
        return fmt::format("turns to look straight {} {}: {}", way(found.upwards), when(found.at), NoUp);
    return tooFar(from, to, distance);
}

bool finite(const vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
}  // namespace

std::optional<std::string> PathRules::secondsProblem(double seconds) {
    if (!std::isfinite(seconds)) return std::string("\"seconds\" is not finite");
    if (!(seconds > 0.0)) return fmt::format("\"seconds\" is {:g}, not above 0", seconds);
    if (seconds > MaxRowSeconds)
        return fmt::format("\"seconds\" is {:g}, more than the {:g} (an hour) a row may last", seconds, MaxRowSeconds);
    return std::nullopt;
}

std::optional<std::string> PathRules::rowsProblem(std::size_t rows) {
    if (rows == 0) return std::string("none: a path needs at least one row");
    if (rows > MaxRows) return fmt::format("{} rows, more than the {} a path may have", rows, MaxRows);
    return std::nullopt;
}

std::optional<PathRules::Problem> PathRules::check(const CameraPath::Script& script) {
    if (!finite(script.start) || !finite(script.startTarget))
        return Problem{"\"start\"", "holds a number that is not finite"};
    if (auto reason = startProblem(script)) return Problem{"\"start\"", *reason};
    if (auto reason = rowsProblem(script.rows.size())) return Problem{"\"rows\"", *reason};
    // A turn runs where the moves before it left the camera; one before the first move, at
    // the start on the first lap and where the last move ends on every later one.
    double before = glm::length(wide(script.start));
    for (auto row = script.rows.rbegin(); row != script.rows.rend(); ++row)
        if (row->kind == Kind::Move) {
            before = std::max(before, glm::length(wide(row->to)));
            break;
        }
    for (size_t i = 0; i < script.rows.size(); ++i) {
        const CameraPath::Row& row = script.rows[i];
        const std::string place = fmt::format("row {}", i + 1);
        if (auto reason = secondsProblem(row.duration)) return Problem{place, *reason};
        if (!finite(row.from) || !finite(row.to) || (row.aimed && !finite(row.target)))
            return Problem{place, "holds a number that is not finite"};
        std::optional<std::string> reason;
        if (row.kind == Kind::Move) {
            reason = moveProblem(row);
            before = glm::length(wide(row.to));
        } else if (row.kind == Kind::Turn) {
            reason = turnProblem(row, before);
        }
        if (reason) return Problem{place, *reason};
    }
    return std::nullopt;
}

bool PathRules::turnKeepsUp(const vec3& from, const vec3& to) {
    const dvec3 a = wide(from), b = wide(to);
    if (!(glm::length(a) > 0.0) || !(glm::length(b) > 0.0)) return false;
    return examine({glm::normalize(a), glm::normalize(b), 1.0}).fault == Fault::None;
}

bool PathRules::endsOnTarget(const CameraPath::Row& move) {
    if (move.kind != Kind::Move || !move.aimed) return false;
    const double least = LeastShare * largest({move.from, move.to, move.target});
    return glm::length(wide(move.target) - wide(move.to)) <= least &&
           glm::length(wide(move.target) - wide(move.from)) > least;
}

}  // namespace Quessel
