#pragma once
#include "math/MathTypes.h"
#include "scene/RenderTexture.h"
#include "scene/SceneryObject.h"

#include <vector>

namespace Quessel {

// A reflective or refractive object; carries the latest cube map its renderer produced.
class ReflectionObject : public SceneryObject {
public:
    using SceneryObject::SceneryObject;

    // The node's origin, or with a centre set, that point of the node's frame: a mesh
    // modelled away from its node's origin gets its cube map from its own middle.
    vec3 getPosition(bool global) override;
    void setCentre(const vec3& local);

    std::vector<RenderTexture> faces;  // +X, -X, +Y, -Y, +Z, -Z after a pass
    RenderTexture cubeMap;

private:
    bool centred = false;
    vec3 centre{0.0f};
};

}  // namespace Quessel
