#include "study/StudySession.h"

#include "app/Demo.h"
#include "app/OffscreenFramebuffer.h"
#include "math/Camera.h"
#include "scene/Importer.h"
#include "scene/ReflectionObject.h"
#include "study/Screenshot.h"
#include "study/ShaderReload.h"

#include <assimp/scene.h>

#include <cstdio>

#include <GLFW/glfw3.h>

namespace Quessel::Study {

namespace {
int cubeMapCount(const Demo& demo) {
    return static_cast<int>(demo.reflectiveObjects.size() + demo.refractiveObjects.size());
}

bool studyKey(int key, StudyKey& studied) {
    switch (key) {
    case GLFW_KEY_SPACE: studied = StudyKey::Pause; return true;
    case GLFW_KEY_PERIOD: studied = StudyKey::Step; return true;
    case GLFW_KEY_TAB: studied = StudyKey::FreeCamera; return true;
    case GLFW_KEY_F1: studied = StudyKey::Overlay; return true;
    case GLFW_KEY_F2: studied = StudyKey::NextView; return true;
    case GLFW_KEY_F5: studied = StudyKey::Reload; return true;
    case GLFW_KEY_F12: studied = StudyKey::Screenshot; return true;
    default: return false;
    }
}
}  // namespace

StudySession::StudySession(Demo& demo, const ToolReport& report)
    : demo(demo), driver(demo), controls(demo.camera, cubeMapCount(demo)), report(report), composed(driver) {
    // The demo captures the cursor; here it drags the view and is seen.
    glfwSetInputMode(demo.window, GLFW_CURSOR, GLFW_CURSOR_NORMAL);
    glfwSetWindowUserPointer(demo.window, this);
    glfwSetKeyCallback(demo.window, onKey);
    glfwGetCursorPos(demo.window, &cursorX, &cursorY);
    std::string log;
    viewsReady = views.init(log);
    if (!viewsReady) report.say("the views (F2) are off: " + log);
}

void StudySession::onKey(GLFWwindow* window, int key, int, int action, int) {
    auto* session = static_cast<StudySession*>(glfwGetWindowUserPointer(window));
    StudyKey studied;
    if (session && action == GLFW_PRESS && studyKey(key, studied)) session->controls.press(studied);
}

HeldKeys StudySession::heldKeys() {
    GLFWwindow* window = demo.window;
    const auto down = [window](int key) { return glfwGetKey(window, key) == GLFW_PRESS; };
    HeldKeys keys;
    keys.forward = down(GLFW_KEY_W);
    keys.back = down(GLFW_KEY_S);
    keys.left = down(GLFW_KEY_A);
    keys.right = down(GLFW_KEY_D);
    keys.down = down(GLFW_KEY_Q);
    keys.up = down(GLFW_KEY_E);
    keys.fast = down(GLFW_KEY_LEFT_SHIFT) || down(GLFW_KEY_RIGHT_SHIFT);
    keys.turnLeft = down(GLFW_KEY_LEFT);
    keys.turnRight = down(GLFW_KEY_RIGHT);
    keys.turnUp = down(GLFW_KEY_UP);
    keys.turnDown = down(GLFW_KEY_DOWN);
    double x = 0.0;
    double y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    if (glfwGetMouseButton(window, GLFW_MOUSE_BUTTON_LEFT) == GLFW_PRESS) {
        keys.dragX = x - cursorX;
        keys.dragY = y - cursorY;
    }
    cursorX = x;
    cursorY = y;
    return keys;
}

void StudySession::startAt(double time) {
    if (time <= 0.0) return;
    report.say("running the demo from 0 to t = " + std::to_string(time) + " s in steps of 1/30 s");
    driver.runUntil(time, StudyControls::SingleStep);
}

void StudySession::drawFrame(const FramePlan& plan) {
    if (plan.onPath) {
        // The demo's own frame at the planned step: the wall clock's while running, as
        // quessel runs, so the path, light and smoke keep their real pace.
        driver.frame(plan.step);
        return;
    }
    composed.draw(plan.step, controls.freeFlight ? &controls.freeCamera : nullptr);
}

void StudySession::drawView() {
    const View& view = controls.view;
    if (view.kind == View::Kind::Frame || !viewsReady) return;
    if (view.kind == View::Kind::ColorTarget) {
        views.drawColorTarget(demo.colorTarget->texture);
    } else if (view.kind == View::Kind::DepthTarget) {
        views.drawDepthTarget(demo.depthTarget->texture, demo.camera.projection);
    } else {
        const size_t reflective = demo.reflectiveObjects.size();
        const size_t index = static_cast<size_t>(view.cubeMap);
        SceneryObject* entry =
            index < reflective ? demo.reflectiveObjects[index] : demo.refractiveObjects[index - reflective];
        auto* sphere = dynamic_cast<ReflectionObject*>(entry);
        if (!sphere) return;
        const std::string name = sphere->getNode()->mName.C_Str();
        views.drawCubeMap(static_cast<GLuint>(sphere->cubeMap.color),
                          name + (index < reflective ? " (reflective)" : " (refractive)"));
    }
}

void StudySession::saveScreenshot() {
    std::string path;
    std::string error;
    if (Screenshot::save(driver.clock, path, error))
        report.say("screenshot: " + path);
    else
        report.say("no screenshot: " + error);
}

void StudySession::reloadShaders() {
    const ShaderReload outcome = ShaderReload::all(*demo.importer->registry, demo.particles);
    reloadSummary = outcome.summary();
    reloadLog = outcome.log;
    report.say(reloadSummary);
    if (!outcome.succeeded()) std::fputs(outcome.log.c_str(), stderr);
}

int StudySession::run() {
    lastFrame = Clock::now();
    for (;;) {
        if (ToolReport::stopSignal()) return report.interrupted("the study");
        const Clock::time_point now = Clock::now();
        const double wallStep = std::chrono::duration<double>(now - lastFrame).count();
        lastFrame = now;
        controls.fly(heldKeys(), wallStep);
        drawFrame(controls.plan(wallStep));
        drawView();
        if (controls.takeScreenshot()) saveScreenshot();
        if (driver.present()) return 0;
        if (controls.takeReload()) reloadShaders();
    }
}

}  // namespace Quessel::Study
