#include "envmap/EnvironmentMapRenderer.h"

#include "core/GlConstants.h"
#include "envmap/EnvironmentMapFramebuffer.h"
#include "envmap/IFaceScenery.h"
#include "envmap/SphereBlock.h"
#include "scene/IRender.h"
#include "scene/IScene.h"
#include "scene/LightObject.h"
#include "scene/ReflectionObject.h"
#include "scene/ShaderRegistry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Quessel {

namespace {
template <typename T>
std::vector<T> without(std::vector<T> list, T removed) {
    list.erase(std::remove(list.begin(), list.end(), removed), list.end());
    return list;
}

float floatFromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}
}  // namespace

EnvironmentMapRenderer::EnvironmentMapRenderer(GLuint sceneProgram, GLuint matricesBuffer, GLuint reflectProgram,
                                               GLuint refractProgram, GLuint refractionBuffer, IScene* scene,
                                               ReflectionObject* object, const std::vector<LightObject*>& lights)
    : sceneProgram(sceneProgram),
      reflectProgram(reflectProgram),
      refractProgram(refractProgram),
      matricesBuffer(matricesBuffer),
      refractionBuffer(refractionBuffer),
      scene(scene),
      sceneRender(scene->getRender()),
      object(object),
      lights(lights),
      width(EnvironmentMapSize),
      height(EnvironmentMapSize) {}

EnvironmentMapRenderer::~EnvironmentMapRenderer() = default;

bool EnvironmentMapRenderer::init() {
    otherNodes = without(scene->getNodes(ObjectKind::Other), object ? object->getNode() : nullptr);
    reflectiveObjects = without(scene->getObjects(ObjectKind::Reflective), static_cast<SceneryObject*>(object));
    refractiveObjects = without(scene->getObjects(ObjectKind::Refractive), static_cast<SceneryObject*>(object));

    ShaderRegistry& registry = ShaderRegistry::instance();
    registry.useProgram(sceneProgram);
    glGenBuffers(1, &lightBuffer);
    glBindBuffer(GL_UNIFORM_BUFFER, lightBuffer);
    // Without a light object the buffer keeps an all-zero record.
    const LightRecord empty;
    const LightRecord* record = !lights.empty() && lights.front() ? lights.front()->record.get() : &empty;
    glBufferData(GL_UNIFORM_BUFFER, sizeof(LightRecord), record, GL_STATIC_DRAW);
    if (registry.current)
        glBindBufferRange(GL_UNIFORM_BUFFER, registry.current->pointLightBinding, lightBuffer, 0, sizeof(LightRecord));
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    return true;
}

void EnvironmentMapRenderer::uploadFirstLight() {
    if (lights.empty() || !lights.front()) return;
    glBindBuffer(GL_UNIFORM_BUFFER, lightBuffer);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(LightRecord), lights.front()->record.get(), GL_STATIC_DRAW);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

bool EnvironmentMapRenderer::update(double dt) {
    for (LightObject* light : lights) {
        if (light) light->update(dt);
    }
    uploadFirstLight();
    return true;
}

bool EnvironmentMapRenderer::render(const vec3& position) {
    // A target whose creation failed has no framebuffers to render into.
    auto* target = dynamic_cast<EnvironmentMapFramebuffer*>(framebuffer.get());
    if (!framebuffer || (target && !target->isComplete())) return true;
    for (int face = 0; face < 6; ++face) {
        framebuffer->setFace(face);
        framebuffer->bind();
        renderFace(face, sceneRender, position);
        framebuffer->unbind();
    }
    if (object) {
        object->faces = framebuffer->getFaceTextures();
        object->cubeMap = framebuffer->getCubeMap();
    }
    return true;
}

ReflectionObject* EnvironmentMapRenderer::getObject() { return object; }

mat4 EnvironmentMapRenderer::faceProjection() const {
    const float t = static_cast<float>(std::tan(static_cast<double>(0.7853981852531433f)));
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    mat4 projection(0.0f);
    projection[0][0] = 1.0f / (t * aspect);
    projection[1][1] = 1.0f / t;
    projection[2][2] = floatFromBits(0xBF80068Du);  // far 1000, near 0.1
    projection[2][3] = -1.0f;
    projection[3][2] = -0.20002f;
    if (farPlane > nearPlane && nearPlane > 0.0f) {
        projection[2][2] = -(farPlane + nearPlane) / (farPlane - nearPlane);
        projection[3][2] = -2.0f * farPlane * nearPlane / (farPlane - nearPlane);
    }
    return projection;
}

void EnvironmentMapRenderer::setPlanes(float nearest, float farthest) {
    nearPlane = nearest;
    farPlane = farthest;
}

vec3 EnvironmentMapRenderer::faceDirection(int face) {
    static const vec3 directions[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    return directions[face];
}

mat4 EnvironmentMapRenderer::faceView(int face) {
    const vec3 eye(0.0f);
    const vec3 d = faceDirection(face);
    const float quarterTurn = 1.5707964f;
    switch (face) {
    case 2: return glm::rotate(glm::lookAt(eye, d, vec3(-1, 0, 0)), quarterTurn, vec3(0, -1, 0));
    case 3: return glm::rotate(glm::lookAt(eye, d, vec3(-1, 0, 0)), quarterTurn, vec3(0, 1, 0));
    default: return glm::lookAt(eye, d, vec3(0, -1, 0));
    }
}

void EnvironmentMapRenderer::uploadMatrices(const mat4& view, const mat4& projection) {
    glBindBuffer(GL_UNIFORM_BUFFER, matricesBuffer);
    glBufferSubData(GL_UNIFORM_BUFFER, 64, sizeof(mat4), glm::value_ptr(view));
    glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof(mat4), glm::value_ptr(projection));
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

void EnvironmentMapRenderer::drawObjects(const std::vector<SceneryObject*>& objects, bool refractive) {
    for (SceneryObject* entry : objects) {
        auto* reflection = dynamic_cast<ReflectionObject*>(entry);
        if (!reflection) continue;
        if (refractive) writeSphereBlock(refractionBuffer, reflection->getPosition(true));
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(reflection->cubeMap.color));
        sceneRender->draw({reflection->getNode()});
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
}

void EnvironmentMapRenderer::renderFace(int face, IRender* render, const vec3& position) {
    const mat4 projection = faceProjection();
    const mat4 view = faceView(face) * glm::translate(mat4(1.0f), -position);
    glViewport(0, 0, width, height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    ShaderRegistry& registry = ShaderRegistry::instance();
    if (scenery) {
        uploadMatrices(view, projection);
        uploadFirstLight();
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        scenery->drawFace(otherNodes, position);
    } else {
        drawScenery(face, render, position, view, projection);
    }

    registry.useProgram(reflectProgram);
    uploadMatrices(view, projection);
    drawObjects(reflectiveObjects, false);

    registry.useProgram(refractProgram);
    uploadMatrices(view, projection);
    drawObjects(refractiveObjects, true);
}

void EnvironmentMapRenderer::drawScenery(int face, IRender* render, const vec3& position, const mat4& view,
                                         const mat4& projection) {
    ShaderRegistry::instance().useProgram(sceneProgram);
    uploadMatrices(view, projection);
    glUniform3fv(glGetUniformLocation(sceneProgram, "cameraPosition"), 1, glm::value_ptr(position));
    const vec3 direction = faceDirection(face);
    glUniform3fv(glGetUniformLocation(sceneProgram, "cameraDirection"), 1, glm::value_ptr(direction));
    uploadFirstLight();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    render->draw(otherNodes);
}

}  // namespace Quessel
