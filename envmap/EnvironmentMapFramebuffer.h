#pragma once
#include "envmap/IEnvironmentMapFramebuffer.h"

#include <cstddef>

namespace Quessel {

// Keeps the faces, the framebuffers and the face being rendered.
class EnvironmentMapFramebuffer : public IEnvironmentMapFramebuffer {
public:
    EnvironmentMapFramebuffer(const std::vector<RenderTexture>& faces, int width, int height);

    // What one cube map adds to the process with its renderer, on software OpenGL: twenty
    // mirrors added 512 MB.
    static constexpr size_t MemoryBytes = size_t(26) << 20;

    // Creates the GL objects; a failed creation is not passed on.
    bool init() override;
    GLuint getFramebuffer(int face) override;
    RenderTexture getFaceTexture(int face) override;
    std::vector<RenderTexture> getFaceTextures() override;
    void setFace(int face) override;

    // False after a failed create(): the framebuffer list is empty then.
    bool isComplete() const { return framebuffers.size() == 6; }

    int width;
    int height;
    std::vector<RenderTexture> faces;
    int currentFace = 0;
    std::vector<GLuint> framebuffers;
};

}  // namespace Quessel
