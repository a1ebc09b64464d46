#pragma once
#include "app/CameraPath.h"
#include "app/FramePlan.h"
#include "app/IPassObserver.h"
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
class SceneLight;
class UniformSnapshot;
struct DemoParts;

// Which scene set-up imports: the demo's own, or another one a tool opens.
struct DemoScene {
    std::string path = "../Model/test3.dae";
    // Folders where the scene's images are looked for first; the working directory comes last.
    std::vector<std::string> imageFolders;
    // A scene a tool brought instead of the demo's own: seen at its own scale (its bounds
    // set the projection's planes, the cube maps' and the starting view), lit by a light of
    // its own when it lacks the demo's, and its cube maps are not written to ../Model/.
    bool brought = false;
    // Nodes that reflect and that refract besides the demo's spheres.
    std::vector<std::string> mirrors;
    std::vector<std::string> glass;
    // Bytes of address space the import may add; 0: no limit.
    size_t importBudget = 0;

    // What a tool opens: the demo's own scene when `path` is empty, else that file with its
    // images looked for beside it first; either under the import budget, with the nodes
    // named reflecting and refracting.
    static DemoScene forTool(const std::string& path, std::vector<std::string> mirrors,
                             std::vector<std::string> glass);
};

// Why set-up failed: what to say and the status to end with.
struct SetupFailure {
    int status = 1;
    std::string message;
};

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
    const std::vector<std::string>& notes() const { return setupNotes; }
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
    // The path a tool flies: "demo" (the demo's own), "tour", a path file, or with no choice
    // the demo's own in its own scene and the tour in a brought one. Nothing, with the file's
    // problem in `error`, when a file cannot be read or flown.
    std::optional<CameraPath::Script> pathFor(const std::string& choice, std::string& error) const;
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
    // A brought scene's size, planes and framed view; nullptr for the demo's own.
    const Framing* framing() const { return sceneFraming.get(); }
    // Which light lights the scene.
    const std::string& lightInUse() const { return light; }

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
    bool fail(int status, const std::string& message);
    bool checkRoles();
    bool checkDrawable();
    void frameScene();
    void centreMirrors();
    void lightScene();

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
    std::vector<std::string> setupNotes;
    std::unique_ptr<Framing> sceneFraming;
    std::unique_ptr<SceneLight> sceneLight;
    std::string light = "PointLight1, circling";
};

}  // namespace Quessel
