#pragma once
#include <GL/glew.h>

#include <memory>
#include <vector>

struct aiNode;

namespace Quessel {

class IEnvironmentMapRenderer;
class IFaceScenery;
class Look;
class Importer;
class OffscreenFramebuffer;
class ParticleSystem;
class SceneryObject;
class ScreenQuad;
class TextureBoxSaver;

// Everything set-up makes, each part with one owner. The demo's frame works on these; the
// tests look inside them. The GL objects are never deleted: they end with the context.
struct DemoParts {
    DemoParts();
    ~DemoParts();

    std::unique_ptr<Importer> importer;
    std::unique_ptr<ScreenQuad> quad;
    std::unique_ptr<OffscreenFramebuffer> depthTarget;
    std::unique_ptr<OffscreenFramebuffer> colorTarget;
    std::unique_ptr<ParticleSystem> particles;
    std::unique_ptr<TextureBoxSaver> saver;
    // One per reflective object, then one per refractive object.
    std::vector<std::unique_ptr<IEnvironmentMapRenderer>> renderers;
    GLuint loadedCubeMap = 0;
    std::vector<aiNode*> otherNodes;
    std::vector<SceneryObject*> reflectiveObjects;
    std::vector<SceneryObject*> refractiveObjects;
    // The renderer the last refresh used.
    int rotationIndex = 0;
    // A brought scene's own look and its cube-map faces drawn with it; none for our own
    // scene and with --look demo.
    std::unique_ptr<Look> look;
    std::unique_ptr<IFaceScenery> lookFaces;
    // Radians the look's key light has turned, as the demo's light turns.
    double keyLightAngle = 0.0;
};

}  // namespace Quessel
