#include "scene/ReflectionObject.h"

#include <assimp/scene.h>

namespace Quessel {

vec3 ReflectionObject::getPosition(bool global) {
    if (!centred) return SceneryObject::getPosition(global);
    const aiVector3D point = getTransformation(global) * aiVector3D(centre.x, centre.y, centre.z);
    return vec3(point.x, point.y, point.z);
}

void ReflectionObject::setCentre(const vec3& local) {
    centred = true;
    centre = local;
}

}  // namespace Quessel
