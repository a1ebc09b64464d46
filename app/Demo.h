#pragma once
#include "app/CameraPath.h"
#include "app/DemoScene.h"
#include "app/FramePlan.h"
#include "app/IPassObserver.h"
#include "app/SceneFit.h"
#include "app/ShaderReload.h"
#include "math/Framing.h"
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
struct DemoParts;

// A reflective or refractive object as the tools see it: its node's name and its cube map.
struct MirrorView {
    std::string name;
    bool refractive = false;
    GLuint cubeMap = 0;
};

// The demo's object graph, its set-up and its frame. main() draws the demo's own frames;
// the tools draw theirs through the frame driver with other plans, and see the demo
// through the few questions below.
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
    // What set-up has to tell about a brought scene (its light, what it leaves out).
    const std::vector<std::string>& notes() const { return fit.notes(); }
    // Seconds since the previous call (or since the end of set-up) on the GLFW clock.
    double timeStep();
    // One frame as planned, from the camera to the composite.
    void renderFrame(const FramePlan& plan);
    // Swap, poll, end test and error check; true when the run is to stop.
    bool present();
    // Told around every pass of the frames that follow (nullptr: nobody).
    void observe(IPassObserver* observer);

    GLFWwindow* window() const { return glfwWindow; }
    const DemoScene& scene() const { return loaded; }
    Camera& camera() { return viewpoint; }
    const Camera& camera() const { return viewpoint; }
    const CameraPath& path() const { return cameraPath; }
    // From now on the camera flies this path, from its start.
    void play(CameraPath::Script script) { cameraPath.play(std::move(script)); }
    // A path made for the scene: a slow orbit that keeps it all in view, then a visit to each
    // reflective or refractive object.
    CameraPath::Script tour() const;
    // Whether a tool's path choice names a path file (PathFile reads it) rather than a path
    // the demo makes.
    static bool choosesFile(const std::string& choice);
    // The path a tool flies when it names none of its own: "demo" (the demo's own), "tour",
    // or with no choice the demo's own in its own scene and the tour in a brought one.
    CameraPath::Script pathFor(const std::string& choice) const;
    // Reflective objects first, then refractive ones, in the order their cube maps rotate.
    std::vector<MirrorView> mirrors() const;
    // Which of mirrors() the last frame redrew (the last one when it redrew all); -1: none.
    int refreshed() const { return lastRefreshed; }
    // The off-screen targets' colour textures: the frame before the composite, and the
    // depth pass's packed depth.
    GLuint colorTarget() const;
    GLuint depthTarget() const;
    // GL errors the frames' checks have counted.
    int errorCount() const { return errors; }
    // A brought scene's size, planes and framed view, where it is drawn; nullptr for the
    // demo's own.
    const Framing* framing() const { return fit.framing(); }
    // Where the scene is drawn (see Placement): what the tools show or save of positions
    // goes back to its own coordinates through this.
    const Placement& placement() const { return fit.placement(); }
    // Which light lights the scene.
    const std::string& lightInUse() const { return fit.lightInUse(); }

    // Every program compiled again from its files and relinked in place.
    ShaderReload reloadShaders();
    // The GL name of a program of the demo's; 0 when there is none of that name.
    GLuint program(const std::string& name) const;
    // Links the program again with other compiled shaders, or (both 0) with its own, and
    // writes `values` back; false with the linker's log.
    bool relinkProgram(const std::string& name, GLuint vertex, GLuint fragment, const UniformSnapshot& values,
                       std::string& log);

    // What the demo is made of, for the tests.
    DemoParts& parts() { return *owned; }
    const DemoParts& parts() const { return *owned; }

private:
    template <typename Step>
    void timed(Pass pass, Step step);
    void createUniformBuffers();
    void writeMatrix(GLuint buffer, GLintptr offset, const mat4& matrix);
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
    double previousTime = 0.0;
    int errors = 0;
    int lastRefreshed = -1;
    SetupFailure failed;
    SceneFit fit;
};

}  // namespace Quessel
