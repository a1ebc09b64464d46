#pragma once
#include "scene/RenderTexture.h"

#include <GL/glew.h>

#include <vector>

namespace Quessel {

// A six-face render target that collects the faces into a cube map.
class IEnvironmentMapFramebuffer {
public:
    virtual bool init() = 0;
    virtual GLuint getFramebuffer(int face) = 0;
    virtual RenderTexture getFaceTexture(int face) = 0;
    virtual std::vector<RenderTexture> getFaceTextures() = 0;
    virtual RenderTexture getCubeMap() = 0;
    virtual void setFace(int face) = 0;
    virtual bool bind() = 0;
    virtual bool unbind() = 0;
    virtual bool create() = 0;
    virtual ~IEnvironmentMapFramebuffer() = default;
};

}  // namespace Quessel
