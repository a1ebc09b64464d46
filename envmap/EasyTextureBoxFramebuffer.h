#pragma once
#include "envmap/EnvironmentMapFramebuffer.h"

#include <memory>

namespace Quessel {

// Renders each face into a 2D texture pair and copies the finished face into the cube
// map through a staging buffer in main memory.
class EasyTextureBoxFramebuffer : public EnvironmentMapFramebuffer {
public:
    EasyTextureBoxFramebuffer(const std::vector<RenderTexture>& faces, int width, int height);

    RenderTexture getCubeMap() override;
    bool bind() override;
    bool unbind() override;
    bool create() override;

    std::unique_ptr<RenderTexture> cubeMap;
    int bytesPerPixel = 4;
    size_t stagingSize;
    std::unique_ptr<unsigned char[]> staging;

private:
    void copyFaceToCubeMap();
};

}  // namespace Quessel
