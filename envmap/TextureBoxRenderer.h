#pragma once
#include "envmap/EnvironmentMapRenderer.h"

namespace Quessel {

// An environment-map renderer with an EasyTextureBoxFramebuffer as its target.
class TextureBoxRenderer : public EnvironmentMapRenderer {
public:
    using EnvironmentMapRenderer::EnvironmentMapRenderer;

    bool init() override;
    RenderTexture getCubeMap() override;
    GLenum attachFace(int face) override;
};

// One renderer per reflective object, then one per refractive object, each initialised.
std::vector<std::unique_ptr<IEnvironmentMapRenderer>> createRenderers(IScene* scene, GLuint sceneProgram,
                                                                      GLuint matricesBuffer, GLuint reflectProgram,
                                                                      GLuint refractProgram, GLuint refractionBuffer);

}  // namespace Quessel
