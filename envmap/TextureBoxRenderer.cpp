#include "envmap/TextureBoxRenderer.h"

#include "envmap/EasyTextureBoxFramebuffer.h"
#include "scene/IScene.h"
#include "scene/LightObject.h"
#include "scene/ReflectionObject.h"

namespace Quessel {

bool TextureBoxRenderer::init() {
    EnvironmentMapRenderer::init();
    const std::vector<RenderTexture> faces = object ? object->faces : std::vector<RenderTexture>();
    framebuffer = std::make_unique<EasyTextureBoxFramebuffer>(faces, width, height);
    framebuffer->init();
    return true;
}

RenderTexture TextureBoxRenderer::getCubeMap() { return framebuffer ? framebuffer->getCubeMap() : RenderTexture(); }

GLenum TextureBoxRenderer::attachFace(int face) {
    const RenderTexture texture = framebuffer->getFaceTexture(face);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, static_cast<GLuint>(texture.color), 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, static_cast<GLuint>(texture.depth), 0);
    return glGetError();
}

std::vector<std::unique_ptr<IEnvironmentMapRenderer>> createRenderers(IScene* scene, GLuint sceneProgram,
                                                                      GLuint matricesBuffer, GLuint reflectProgram,
                                                                      GLuint refractProgram, GLuint refractionBuffer) {
    std::vector<SceneryObject*> objects = scene->getObjects(ObjectKind::Reflective);
    const std::vector<SceneryObject*> refractive = scene->getObjects(ObjectKind::Refractive);
    objects.insert(objects.end(), refractive.begin(), refractive.end());
    std::vector<LightObject*> lights;
    for (SceneryObject* light : scene->getObjects(ObjectKind::Light))
        lights.push_back(dynamic_cast<LightObject*>(light));

    std::vector<std::unique_ptr<IEnvironmentMapRenderer>> renderers;
    for (SceneryObject* entry : objects) {
        auto renderer = std::make_unique<TextureBoxRenderer>(sceneProgram, matricesBuffer, reflectProgram,
                                                             refractProgram, refractionBuffer, scene,
                                                             dynamic_cast<ReflectionObject*>(entry), lights);
        renderer->init();
        renderers.push_back(std::move(renderer));
    }
    return renderers;
}

}  // namespace Quessel
