#pragma once
#include "fit/SceneFitting.h"
#include "math/MathTypes.h"

#include <string>
#include <vector>

namespace Quessel {
struct SurfaceMaterial;
}

namespace Quessel::Study {

// What the mouse points at in a brought scene: the nearest mesh whose box the ray through
// the cursor enters, and its material as the overlay shows it.
class MeshPick {
public:
    struct Ray {
        vec3 origin;
        vec3 direction;
    };

    // The ray through the window pixel (x right, y down) of a camera.
    static Ray through(const mat4& projection, const mat4& view, double x, double y, int width, int height);
    // The index into `meshes` of the box the ray enters first (from inside one: that one);
    // -1 when it enters none.
    static int nearest(const std::vector<MeshPlace>& meshes, const Ray& ray);
    // One line of the material's values and textures.
    static std::string describe(const MeshPlace& place, const SurfaceMaterial& material);
};

}  // namespace Quessel::Study
