#pragma once
#include "math/Bounds.h"
#include "math/MathTypes.h"

#include <optional>
#include <string>

namespace Quessel {

// Where a brought scene is drawn. A scene of a size near the demo's and near the origin for
// its size is drawn in its own coordinates, as it always was. Any other is drawn at
// scale * (p - centre): the scale a power of two that brings its radius near the demo's
// courtyard's, the centre the middle of its box on a grid of its size. The shaders' squared
// distances and fixed floors, the planes and the light's falloff then work with the numbers
// they were made for, and a far-off scene is drawn around its own middle, where floats are
// fine, rather than where they are coarse; a power of two only moves exponents and the centre
// lies on the scene's own grid, so its points keep every bit the file gave them. This rather
// than drawing relative to the camera, which would change every pass and shader of the demo.
// Path files, the overlay and the console keep the scene's own coordinates.
class Placement {
public:
    // Radii drawn in their own coordinates: between them the demo's shaders and planes see
    // ordinary numbers.
    static constexpr double SmallestOwnRadius = 0.01;
    static constexpr double LargestOwnRadius = 1e5;
    // Farther from the origin than this many radii, a float's step there passes 1/16000 of
    // the scene's radius: it is drawn around its middle.
    static constexpr double FarRadii = 1000.0;
    // The smallest radius whose scale is still a float of full precision.
    static constexpr double SmallestRadius = 1e-30;

    // The placement of a scene with this box in its own coordinates; nothing, with why, when
    // the box is not finite in floats or its size is one floats cannot draw.
    static std::optional<Placement> of(const WideBounds& bounds, std::string& why);

    // Whether the scene is drawn anywhere but in its own coordinates.
    bool moves() const { return scale != 1.0 || centre != dvec3(0.0); }
    vec3 toDrawn(const vec3& point) const { return vec3(scale * (dvec3(point) - centre)); }
    vec3 toScene(const vec3& point) const { return vec3(dvec3(point) / scale + centre); }
    // A length drawn, in the scene's units.
    double toScene(double length) const { return length / scale; }

    double scale = 1.0;
    dvec3 centre{0.0};
};

}  // namespace Quessel
