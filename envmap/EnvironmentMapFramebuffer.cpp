#include "envmap/EnvironmentMapFramebuffer.h"

namespace Quessel {

EnvironmentMapFramebuffer::EnvironmentMapFramebuffer(const std::vector<RenderTexture>& faces, int width, int height)
    : width(width), height(height), faces(faces) {}

bool EnvironmentMapFramebuffer::init() {
    create();
    return true;
}

GLuint EnvironmentMapFramebuffer::getFramebuffer(int face) { return framebuffers.at(face); }

RenderTexture EnvironmentMapFramebuffer::getFaceTexture(int face) { return faces.at(face); }

std::vector<RenderTexture> EnvironmentMapFramebuffer::getFaceTextures() { return faces; }

void EnvironmentMapFramebuffer::setFace(int face) { currentFace = face; }

}  // namespace Quessel
