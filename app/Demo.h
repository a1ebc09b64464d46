#pragma once
#include "paths/CameraPath.h"
#include "fit/DemoScene.h"
#include "app/FramePlan.h"
#include "app/IPassObserver.h"
#include "look/DrawStats.h"
#include "fit/SceneFit.h"
#include "fit/SceneFitting.h"
#include "math/MathTypes.h"

#include <GL/glew.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct GLFWwindow;

namespace Quessel {

class Camera;
class UniformSnapshot;
struct SurfaceMaterial;
struct DemoParts;

// A reflective or refractive object as the tools see it: its node's name and its cube map.
struct MirrorView {
    std::string name;
    bool refractive = false;
    GLuint cubeMap = 0;
};

class Demo;

// What the tools may see of the demo, read-only, kept current by it.
class DemoView {
public:
    explicit DemoView(const Demo& demo) : demo(demo) {}

    GLFWwindow* window() const;
    const DemoScene& scene() const;
    const Camera& camera() const;
    const CameraPath& path() const;
    // Reflective objects first, then refractive ones, in the order their cube maps rotate.
    std::vector<MirrorView> mirrors() const;
    // Which of mirrors() the last frame redrew (the last one when it redrew all); -1: none.
    int refreshed() const;
    // The off-screen targets' colour textures: the frame before the composite, and the
    // depth pass's packed depth.
    GLuint colorTarget() const;
    GLuint depthTarget() const;
    // GL errors the frames' checks have counted.
    int errorCount() const;
    // The scene's size, planes and framed view, where it is drawn, and its light.
    const SceneFitting& fitting() const;
    // A brought scene's materials as its own look draws them, one per mesh of the scene;
    // none for our own scene or with --look demo.
    const std::vector<SurfaceMaterial>& materials() const;
    // How much of a brought scene its look drew, summed over every view (main and cube-map
    // faces) since set-up; nothing without its look. The difference of two readings covers
    // the frames between them.
    DrawStats lookDraws() const;

private:
    const Demo& demo;
};

// The demo's object graph, its set-up and its frame. quessel's main() draws the demo's own
// frames on GLFW's clock; the tools draw theirs through their frame driver with other plans
// and see the demo through view().
class Demo {
public:
    Demo(GLFWwindow* window, DemoScene scene = {});
    ~Demo();
    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    // Builds everything, renders and saves the initial cube maps and starts the camera
    // path. False when the scene could not be imported (the reasons are printed), or when
    // a brought scene names no such node as asked for or has nothing to draw; failure()
    // says why.
    bool setup();
    const SetupFailure& failure() const { return failed; }
    // One frame as planned, from the camera to the composite, at the time and step the plan gives.
    void renderFrame(const FramePlan& plan);
    // Swap, poll, end test and error check; true when the run is to stop.
    bool present();
    // Told around every pass of the frames that follow (nullptr: nobody).
    void observe(IPassObserver* observer);
    // From now on the camera flies this path, from its start.
    void play(CameraPath::Script script) { cameraPath.play(std::move(script)); }

    // The program-wide camera, which a tool flying freely takes over and hands back.
    Camera& camera() { return viewpoint; }
    DemoView view() const { return DemoView(*this); }

    // What the demo is made of, for the tools' harness (its programs) and the tests.
    DemoParts& parts() { return *owned; }
    const DemoParts& parts() const { return *owned; }

private:
    template <typename Step>
    void timed(Pass pass, Step step);
    friend class DemoView;
    void createUniformBuffers();
    void renderInitialEnvironmentMaps();
    // Set-up stops: `failed` says why.
    bool fail();

    void moveCamera(const FramePlan& plan);
    void refreshEnvironmentMaps(const FramePlan& plan);
    void refreshNext(double dt);
    void mainPass();
    void reflectPass();
    void refractPass();
    void particlePass(const FramePlan& plan);
    // A brought scene's own look: made after its meshes, drawn in the main pass and in the
    // cube maps' faces; false with why when it cannot be made.
    bool createLook();
    // Whether the smoke rises in this scene: always in ours, where asked in a brought one.
    bool smokes() const;
    void depthPass();
    void motionBlurPass(double dt);
    void carryOver();

    GLFWwindow* glfwWindow;
    DemoScene loaded;
    // The program-wide camera.
    Camera& viewpoint;
    CameraPath cameraPath;
    std::unique_ptr<DemoParts> owned;
    IPassObserver* observer = nullptr;
    int errors = 0;
    int lastRefreshed = -1;
    SetupFailure failed;
    SceneFit fit;
};

}  // namespace Quessel
