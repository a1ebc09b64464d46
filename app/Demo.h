#pragma once
#include "app/CameraPath.h"
#include "app/IPassObserver.h"
#include "math/MathTypes.h"

#include <GL/glew.h>

#include <memory>
#include <string>
#include <vector>

struct GLFWwindow;
struct aiNode;

namespace Quessel {

class Camera;
class IEnvironmentMapRenderer;
class Importer;
class OffscreenFramebuffer;
class ParticleSystem;
class SceneryObject;
class ScreenQuad;
class TextureBoxSaver;

// The demo's object graph, its set-up and one frame's passes. main() drives it; tests
// and the benchmark drive the same code with chosen time steps.
class Demo {
public:
    explicit Demo(GLFWwindow* window);

    // Builds everything, renders and saves the initial cube maps and starts the camera
    // path. False when the scene could not be imported (the reasons are printed).
    bool setup();
    // Seconds since the previous call (or since the end of set-up).
    double timeStep();
    // The passes of one frame, from the camera path to the composite.
    void renderFrame(double dt);
    // Swap, poll, end test and error check; true when the run is to stop.
    bool present();

    // Single passes, in frame order.
    void refreshEnvironmentMap(double dt);
    void mainPass();
    void reflectPass();
    void refractPass();
    void particlePass();
    void depthPass();
    void motionBlurPass(double dt);

    GLFWwindow* window;
    Camera& camera;
    Importer* importer = nullptr;
    ScreenQuad* quad = nullptr;
    OffscreenFramebuffer* depthTarget = nullptr;
    OffscreenFramebuffer* colorTarget = nullptr;
    ParticleSystem* particles = nullptr;
    TextureBoxSaver* saver = nullptr;
    std::vector<IEnvironmentMapRenderer*> renderers;
    GLuint loadedCubeMap = 0;
    std::vector<aiNode*> otherNodes;
    std::vector<SceneryObject*> reflectiveObjects;
    std::vector<SceneryObject*> refractiveObjects;
    CameraPath path;
    int rotationIndex = 0;
    double previousTime = 0.0;
    int errorCount = 0;
    // Optional: told around every pass of renderFrame.
    IPassObserver* observer = nullptr;
    // Optional: the time the particle pass takes instead of the GLFW clock's. The GLFW
    // clock, even set right before, has moved on by some microseconds when it is read, and
    // that moves the smoke by a pixel here and there; a simulated clock read here is exact.
    const double* particleClock = nullptr;
    // What setup() imports, and the folders where it looks for the scene's images first (the
    // working directory comes last); the demo's own are its fixed scene and no folder.
    std::string scenePath = "../Model/test3.dae";
    std::vector<std::string> imageFolders;

private:
    template <typename Step>
    void timed(Pass pass, Step step);
    void createUniformBuffers();
    void writeMatrix(GLuint buffer, GLintptr offset, const mat4& matrix);
    void renderInitialEnvironmentMaps();
};

}  // namespace Quessel
