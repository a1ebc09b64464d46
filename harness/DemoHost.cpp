#include "harness/DemoHost.h"

#include "harness/PathChoice.h"
#include "paths/PathFile.h"
#include "paths/PlacedPath.h"
#include "app/Startup.h"
#include "core/ToolReport.h"
#include "fit/ImportEstimate.h"
#include "fit/MemoryBudget.h"
#include "math/Camera.h"

#include <assimp/Importer.hpp>
#include <fmt/format.h>

#include <filesystem>

#include <GLFW/glfw3.h>

#include <cstdio>
#include <optional>

namespace Quessel {

DemoHost::DemoHost(GLFWwindow* window, DemoScene scene, bool ownsGlfw)
    : hosted(std::make_unique<Demo>(window, std::move(scene))), ownsGlfw(ownsGlfw) {}

DemoHost::~DemoHost() {
    hosted.reset();
    if (ownsGlfw) glfwTerminate();
}

std::unique_ptr<DemoHost> DemoHost::setUp(std::unique_ptr<DemoHost> host, SetupFailure& failure) {
    setInitialGlState();
    if (host->demo().setup()) return host;
    failure = host->demo().failure();
    failure.message = "set-up failed: " + failure.message;
    return nullptr;
}

namespace {
// A GLFW call that goes wrong says so: a call after glfwTerminate, say, would otherwise
// pass unnoticed. The window system's own complaints are left out (a full-screen window
// on a display without a window manager cannot iconify when it loses focus).
void reportGlfwError(int code, const char* description) {
    if (code != GLFW_PLATFORM_ERROR) std::fprintf(stderr, "GLFW error %d: %s\n", code, description ? description : "");
}
}  // namespace

std::unique_ptr<DemoHost> DemoHost::open(DemoScene scene, SetupFailure& failure) {
    glfwSetErrorCallback(reportGlfwError);
    // The demo's own start-up ends the process with its message when GLFW cannot start;
    // asked first, the program can say why in its own words.
    if (!startGlfw()) {
        failure = {1, "GLFW could not start: no display (is DISPLAY set?)"};
        return nullptr;
    }
    GLFWwindow* window = openWindow();
    initGlew(window);
    return setUp(std::unique_ptr<DemoHost>(new DemoHost(window, std::move(scene), true)), failure);
}

std::unique_ptr<DemoHost> DemoHost::openIn(GLFWwindow* window, DemoScene scene, SetupFailure& failure) {
    return setUp(std::unique_ptr<DemoHost>(new DemoHost(window, std::move(scene), false)), failure);
}

std::unique_ptr<DemoHost> DemoHost::openForTool(const ToolReport& report, DemoScene scene,
                                                const std::string& pathChoice, int& status) {
    // Start-up and the import cannot stop part-way: Ctrl-C ends them at once.
    report.endAtOnceOnStop("start-up");
    // A path file is read and checked first: a bad one is said at once, not after a long import.
    std::optional<CameraPath::Script> fromFile;
    if (PathChoice::namesFile(pathChoice)) {
        std::string error;
        fromFile = PathFile::read(pathChoice, error);
        if (!fromFile) {
            status = report.badOptions("--path: " + error);
            return nullptr;
        }
    }
    const bool brought = scene.brought;
    SetupFailure failure;
    std::unique_ptr<DemoHost> host = open(std::move(scene), failure);
    ToolReport::catchStopSignals();
    if (!host) {
        status = failure.status == ToolReport::BadOptions ? report.badOptions(failure.message)
                                                          : report.fail(failure.message);
        return nullptr;
    }
    Demo& demo = host->demo();
    const SceneFitting& fitting = demo.view().fitting();
    for (const std::string& note : fitting.notes) report.say(note);
    // A file gives points in the scene's own coordinates; the demo draws it placed.
    if (fromFile)
        demo.play(PlacedPath::drawn(*fromFile, fitting.placement));
    else if (!pathChoice.empty() || brought)
        demo.play(PathChoice::made(pathChoice, demo.view()));
    if (ToolReport::stopSignal()) {
        status = report.interrupted("start-up");
        return nullptr;
    }
    host->welcome(report);
    return host;
}

std::string DemoHost::refusal(const DemoScene& scene) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(scene.path, error)) return scene.path + " is not a file that can be read";
    const std::string extension = std::filesystem::path(scene.path).extension().string();
    if (!Assimp::Importer().IsExtensionSupported(extension))
        return scene.path + " is in no format Assimp reads (" + (extension.empty() ? "no extension" : extension) + ")";
    if (scene.memoryBudget == 0) return {};
    return MemoryBudget(scene.memoryBudget).refusal(scene.path, ImportEstimate::of(scene.path), 0);
}

bool DemoHost::reopen(const ToolReport& report, DemoScene scene) {
    GLFWwindow* window = hosted->view().window();
    hosted.reset();
    hosted = std::make_unique<Demo>(window, std::move(scene));
    setInitialGlState();
    if (!hosted->setup()) {
        report.say("set-up failed: " + hosted->failure().message);
        return false;
    }
    for (const std::string& note : hosted->view().fitting().notes) report.say(note);
    if (hosted->view().scene().brought) hosted->play(PathChoice::made("", hosted->view()));
    welcome(report);
    return true;
}

void DemoHost::welcome(const ToolReport& report) {
    Demo& demo = *hosted;
    const SceneFitting& fitting = demo.view().fitting();
    if (demo.view().scene().brought) {
        // Where the first frame looks from, in the scene's own units.
        const Camera& camera = demo.view().camera();
        const mat4 eye = glm::inverse(camera.view);
        const vec3 at = fitting.placement.toScene(vec3(eye[3]));
        const vec3 looking = -glm::normalize(vec3(eye[2]));
        report.say(fmt::format("starting camera: at ({:.4g}, {:.4g}, {:.4g}) looking ({:.3f}, {:.3f}, {:.3f})", at.x,
                               at.y, at.z, looking.x, looking.y, looking.z));
    }
}

}  // namespace Quessel
