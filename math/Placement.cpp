#include "math/Placement.h"

#include "math/Framing.h"

#include <fmt/format.h>

#include <cmath>
#include <limits>

namespace Quessel {

namespace {
double widest(const dvec3& v) { return std::max({std::abs(v.x), std::abs(v.y), std::abs(v.z)}); }

std::string text(const dvec3& v) { return fmt::format("({:.3g}, {:.3g}, {:.3g})", v.x, v.y, v.z); }
}  // namespace

std::optional<Placement> Placement::of(const WideBounds& bounds, std::string& why) {
    if (bounds.empty()) {
        why = "none of its vertices has finite coordinates";
        return std::nullopt;
    }
    const double floatMost = std::numeric_limits<float>::max();
    if (std::max(widest(bounds.min), widest(bounds.max)) > floatMost) {
        why = fmt::format("its box, {} to {}, reaches past what floats hold", text(bounds.min), text(bounds.max));
        return std::nullopt;
    }
    const double radius = bounds.radius();
    if (radius == 0.0) {
        why = fmt::format("all its vertices lie at one point, {}: it has no size to draw", text(bounds.min));
        return std::nullopt;
    }
    if (radius < SmallestRadius) {
        why = fmt::format("its radius of {:.3g} units is below the {:.0e} that floats can draw", radius,
                          SmallestRadius);
        return std::nullopt;
    }
    Placement placement;
    if (radius < SmallestOwnRadius || radius > LargestOwnRadius)
        placement.scale = std::exp2(std::round(std::log2(Framing::ReferenceRadius / radius)));
    const dvec3 middle = bounds.centre();
    if (widest(middle) > FarRadii * radius) {
        // On the grid of the power of two at or above the radius, and a float itself, so the
        // drawn translation scale * centre cancels the scene's own exactly.
        const double grid = std::exp2(std::ceil(std::log2(radius)));
        placement.centre = dvec3(vec3(glm::round(middle / grid) * grid));
    }
    return placement;
}

}  // namespace Quessel
