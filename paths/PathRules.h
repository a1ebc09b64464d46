#pragma once
#include "paths/CameraPath.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace Quessel {

// What a camera path may hold and what the camera can show along it. Every view keeps the
// world's up (+Y), as the demo's own camera does, so a view has to look somewhere, and not
// straight up or down, where it would have no up direction; a direction is also made from
// float coordinates, so it must stand out from their rounding. Such views are refused with
// their row rather than given some other up: one picked for them would roll the picture
// at the row's ends, which nobody asked for, while the fix (a point a little to the side)
// is the author's to choose. The limits keep a path file within a small budget and every
// row's clock within what floats count exactly.
class PathRules {
public:
    static constexpr std::uintmax_t MaxFileBytes = 4000000;
    static constexpr std::size_t MaxRows = 10000;
    static constexpr double MaxRowSeconds = 3600.0;
    // The sine of the least angle a view makes with straight up or down (about 0.06 degrees).
    static constexpr double LeastTilt = 1e-3;
    // The shortest direction, and its shortest part across the vertical, as a share of the
    // coordinates it is made from: floats hold about seven digits.
    static constexpr double LeastShare = 1e-6;

    struct Problem {
        std::string place;  // "\"start\"", "\"rows\"" or "row N", N from 1
        std::string reason;
        std::string text() const { return place + ": " + reason; }
    };

    // The first thing in the path the camera could not fly or show; nothing when it can.
    static std::optional<Problem> check(const CameraPath::Script& script);
    // What is wrong with a row of these seconds, or a path of so many rows; nothing when
    // it is fine.
    static std::optional<std::string> secondsProblem(double seconds);
    static std::optional<std::string> rowsProblem(std::size_t rows);
    // Whether a turn from one direction to the other shows a view with an up direction all
    // the way.
    static bool turnKeepsUp(const vec3& from, const vec3& to);
    // Whether a move looking at a point ends on that point (coming from elsewhere).
    static bool endsOnTarget(const CameraPath::Row& move);
};

}  // namespace Quessel
