#pragma once
#include "math/MathTypes.h"
#include "scene/RenderTexture.h"

#include <GL/glew.h>

namespace Quessel {

class ReflectionObject;

// Renders the scene around one reflective or refractive object into its cube map.
class IEnvironmentMapRenderer {
public:
    virtual bool init() = 0;
    virtual bool update(double dt) = 0;
    virtual bool render(const vec3& position) = 0;
    virtual ReflectionObject* getObject() = 0;
    virtual RenderTexture getCubeMap() = 0;
    virtual GLenum attachFace(int face) = 0;
    virtual ~IEnvironmentMapRenderer() = default;
};

}  // namespace Quessel
