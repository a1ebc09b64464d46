#include "study/ViewFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

namespace Quessel::Study {

namespace {
using nlohmann::json;

json point(const vec3& v) { return json::array({v.x, v.y, v.z}); }
}  // namespace

std::string ViewFile::text(const mat4& view, const mat4& projection, float nearPlane, float farPlane,
                           const Bounds& framed) {
    // The view matrix is what was drawn; the camera's own fields lag behind it during moves.
    const mat4 world = glm::inverse(view);
    const vec3 position(world[3]);
    const vec3 direction = glm::normalize(-vec3(world[2]));
    // The path takes its direction from two points of floats: the farther apart they are
    // against their size, the more of its digits it keeps (a small scene far from the origin).
    const float toCentre = framed.empty() ? 0.0f : glm::dot(framed.centre() - position, direction);
    float ahead = std::max(toCentre > 0.0f ? toCentre : framed.radius(), glm::length(position) / 16.0f);
    if (!(ahead > 0.0f)) ahead = 1.0f;
    const vec3 target = position + direction * ahead;
    json document = {
        {"start", {{"position", point(position)}, {"looking_at", point(target)}}},
        {"rows", json::array({{{"kind", "hold"}, {"seconds", HoldSeconds}}})},
        {"vertical_fov", 2.0 * std::atan(1.0 / static_cast<double>(projection[1][1]))},
        {"aspect", static_cast<double>(projection[1][1]) / static_cast<double>(projection[0][0])},
        {"near", nearPlane},
        {"far", farPlane},
    };
    if (!framed.empty()) document["bounds"] = {{"min", point(framed.min)}, {"max", point(framed.max)}};
    return document.dump(2) + "\n";
}

}  // namespace Quessel::Study
