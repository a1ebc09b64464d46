#include "app/LookFaces.h"

#include "look/Look.h"
#include "look/SurfaceDrawer.h"
#include "scene/IRender.h"

namespace Quessel {

void LookFaces::drawFace(const std::vector<aiNode*>& nodes, const vec3&) {
    // Behind first: blended surfaces are drawn over it.
    look.drawBackground(Look::Behind::Environment);
    look.surfaces().draw(nodes);
}

}  // namespace Quessel
