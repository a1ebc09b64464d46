#pragma once
#include "scene/RenderTexture.h"
#include "scene/SceneryObject.h"

#include <vector>

namespace Quessel {

// A reflective or refractive sphere; carries the latest cube map its renderer produced.
class ReflectionObject : public SceneryObject {
public:
    using SceneryObject::SceneryObject;

    std::vector<RenderTexture> faces;  // +X, -X, +Y, -Y, +Z, -Z after a pass
    RenderTexture cubeMap;
};

}  // namespace Quessel
