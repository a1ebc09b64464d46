#pragma once
#include "envmap/IEnvironmentMapRenderer.h"

#include <memory>
#include <vector>

struct aiNode;

namespace Quessel {

class IEnvironmentMapFramebuffer;
class IFaceScenery;
class IRender;
class IScene;
class LightObject;
class SceneryObject;

// The six-face pass: places a camera at the object, draws everything but the object
// into each face and hands the resulting cube map to the object.
class EnvironmentMapRenderer : public IEnvironmentMapRenderer {
public:
    EnvironmentMapRenderer(GLuint sceneProgram, GLuint matricesBuffer, GLuint reflectProgram, GLuint refractProgram,
                           GLuint refractionBuffer, IScene* scene, ReflectionObject* object,
                           const std::vector<LightObject*>& lights);
    ~EnvironmentMapRenderer() override;

    bool init() override;
    bool update(double dt) override;
    bool render(const vec3& position) override;
    ReflectionObject* getObject() override;

    // The projection of every face: 90 degrees, near 0.1, far 1000, or the planes set.
    mat4 faceProjection() const;
    // Other clipping planes for a scene of another size than the demo's.
    void setPlanes(float nearPlane, float farPlane);
    // The look direction and view rotation of a face, eye at the origin.
    static vec3 faceDirection(int face);
    static mat4 faceView(int face);
    void renderFace(int face, IRender* sceneRender, const vec3& position);

    std::unique_ptr<IEnvironmentMapFramebuffer> framebuffer;
    GLuint sceneProgram;
    GLuint reflectProgram;
    GLuint refractProgram;
    GLuint matricesBuffer;
    GLuint refractionBuffer;
    GLuint lightBuffer = 0;
    IScene* scene;
    IRender* sceneRender;
    ReflectionObject* object;
    std::vector<LightObject*> lights;
    int width = 512;
    int height = 512;
    std::vector<aiNode*> otherNodes;
    std::vector<SceneryObject*> reflectiveObjects;
    std::vector<SceneryObject*> refractiveObjects;
    // Draws the faces' scenery instead of the scene program; nullptr: the scene program.
    IFaceScenery* scenery = nullptr;

private:
    void uploadMatrices(const mat4& view, const mat4& projection);
    void uploadFirstLight();
    // The scene program's nodes, lit by the first light.
    void drawScenery(int face, IRender* render, const vec3& position, const mat4& view, const mat4& projection);
    void drawObjects(const std::vector<SceneryObject*>& objects, bool refractive);

    // 0: the demo's own planes.
    float nearPlane = 0.0f;
    float farPlane = 0.0f;
};

}  // namespace Quessel
