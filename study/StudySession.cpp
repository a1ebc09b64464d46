#include "study/StudySession.h"

#include "app/Demo.h"
#include "core/GlConstants.h"
#include "harness/DemoHost.h"
#include "harness/DemoPrograms.h"
#include "math/Camera.h"

#include <GLFW/glfw3.h>
#include <fmt/format.h>

#include <algorithm>
#include <utility>
#include <cmath>
#include <cstdio>
#include <vector>

namespace Quessel::Study {

namespace {
// Frames whose wall time the overlay averages.
constexpr size_t AveragedFrames = 16;

int cubeMapCount(const Demo& demo) { return static_cast<int>(demo.view().mirrors().size()); }

bool stopAsked() { return ToolReport::stopSignal() != 0; }

}  // namespace

StudySession::StudySession(Demo& demo, const ToolReport& report)
    : demo(demo),
      driver(demo),
      controls(demo.camera(), cubeMapCount(demo), demo.view().fitting()),
      report(report),
      input(demo.view().window(), controls),
      files(demo.view(), report),
      overlay(demo.view().window()) {
    figures.nodes = StudyFacts::nodeLines(demo.view().fitting().nodes);
    std::string log;
    viewsReady = views.init(log);
    if (!viewsReady) report.say("the views (F2) are off: " + log);
}

int StudySession::startAt(double time) {
    if (time <= 0.0) return -1;
    report.say(fmt::format("reaching t = {} s by frames of 1/30 s", time));
    // The window says how far it has come, and takes Escape, this often however slow the
    // frames are.
    constexpr double ShownEvery = 0.25;
    const Clock::time_point begun = Clock::now();
    Clock::time_point shown = begun - std::chrono::hours(1);
    for (;;) {
        if (std::chrono::duration<double>(Clock::now() - shown).count() >= ShownEvery) {
            if (viewsReady)
                views.drawProgress(
                    static_cast<float>(driver.clock() / time),
                    fmt::format("reaching t = {:.1f} s: at {:.1f} s (Escape or Ctrl-C ends)", time, driver.clock()));
            if (driver.present()) {
                report.say(fmt::format("ended by Escape at t = {:.3f} s", driver.clock()));
                return 0;
            }
            shown = Clock::now();
        }
        if (stopAsked() || driver.clock() + StudyControls::SingleStep > time + 1e-9) break;
        // A frame at a time: the same frames as one call up to `time`.
        if (!driver.runUntil(std::min(time, driver.clock() + StudyControls::SingleStep), StudyControls::SingleStep,
                             stopAsked))
            break;
    }
    if (stopAsked()) return report.interrupted("reaching the start");
    report.say(fmt::format("at t = {:.3f} s after {:.1f} s", driver.clock(),
                           std::chrono::duration<double>(Clock::now() - begun).count()));
    return -1;
}

void StudySession::drawView() {
    const View& view = controls.view;
    if (view.kind == View::Kind::Frame || !viewsReady) return;
    if (view.kind == View::Kind::ColorTarget) {
        views.drawColorTarget(demo.view().colorTarget());
    } else if (view.kind == View::Kind::DepthTarget) {
        views.drawDepthTarget(demo.view().depthTarget(), demo.camera().projection,
                              demo.view().fitting().relativeSize());
    } else {
        const std::vector<MirrorView> mirrors = demo.view().mirrors();
        const size_t index = static_cast<size_t>(view.cubeMap);
        if (index >= mirrors.size()) return;
        const MirrorView& mirror = mirrors[index];
        views.drawCubeMap(mirror.cubeMap, mirror.name + (mirror.refractive ? " (refractive)" : " (reflective)"));
    }
}

void StudySession::reloadShaders() {
    const ShaderReload outcome = DemoPrograms(demo).reload();
    figures.reload = outcome.summary();
    figures.reloadLog = outcome.log;
    report.say(figures.reload);
    if (!outcome.succeeded()) std::fputs(outcome.log.c_str(), stderr);
}

void StudySession::observePasses() {
    // Timer queries cost llvmpipe a few per cent of a frame: the overlay times every
    // fourth frame's passes, and nothing while it is hidden.
    constexpr int TimedEvery = 4;
    timedFrame = controls.overlay && ++framesShown % TimedEvery == 1;
    if (timedFrame)
        for (auto& timer : timers)
            if (!timer) timer = std::make_unique<PassTimer>(false);
    driver.observe(timedFrame ? timers[timerInUse].get() : nullptr);
}

void StudySession::collectPassTimes() {
    if (!timedFrame) return;
    timerInUse = 1 - timerInUse;
    figures.passes = timers[timerInUse]->collect();
}

bool StudySession::frame() {
    const Clock::time_point now = Clock::now();
    const double wallStep = std::chrono::duration<double>(now - lastFrame).count();
    lastFrame = now;
    recentFrames.push_back(wallStep * 1000.0);
    if (recentFrames.size() > AveragedFrames) recentFrames.pop_front();

    HeldKeys held = input.held();
    // A drag over the node list scrolls it, not the view.
    if (controls.overlay && overlay.wantsMouse()) held.dragX = held.dragY = 0.0;
    controls.fly(held, wallStep);
    const FramePlan plan = controls.plan(wallStep);
    observePasses();
    driver.frame(plan);
    drawView();
    if (controls.overlay) {
        figures.frameMs = 0.0;
        for (double ms : recentFrames) figures.frameMs += ms / static_cast<double>(recentFrames.size());
        figures.demoTime = driver.clock();
        // Counted again only when another path plays.
        const CameraPath::Script& playing = demo.view().path().script();
        if (playing.rows.size() != lapRows || playing.seconds() != lapSeconds) {
            lapRows = playing.rows.size();
            lapSeconds = playing.seconds();
            figures.lap = StudyFacts::lapLength(playing);
        }
        figures.cursorX = input.cursorX();
        figures.cursorY = input.cursorY();
        const OverlayFacts facts = StudyFacts::of(demo.view(), controls, figures);
        pendingAction = overlay.draw(facts, wallStep);
    }
    if (controls.takeScreenshot()) files.screenshot(driver.clock());
    figures.cpuMs = std::chrono::duration<double, std::milli>(Clock::now() - now).count();
    if (driver.present()) return true;
    collectPassTimes();
    if (controls.takeReload()) reloadShaders();
    // The path being made, or else the one playing.
    if (controls.takeSavePath())
        files.savePath(controls.draft.started() ? controls.draft.script() : demo.view().path().script(), driver.clock());
    if (controls.takeRestart()) demo.play(demo.view().path().script());
    if (act(std::exchange(pendingAction, {}))) return true;
    if (const std::string file = input.takeDropped(); !file.empty()) {
        // The same checks as --scene's before anything is taken down: a refusal keeps this scene.
        const DemoScene& now = demo.view().scene();
        DemoScene next = DemoScene::forTool(file, {}, {});
        next.ownLook = now.ownLook;
        next.sky = now.sky;
        next.background = now.background;
        const std::string refused = DemoHost::refusal(next);
        if (refused.empty()) {
            report.say("opening " + file + ", dropped on the window");
            reopening = std::move(next);
            return true;
        }
        report.say("not opened: " + refused);
    }
    if (controls.takeDraftToPlay()) {
        demo.play(controls.draft.script());
        report.say(fmt::format("playing the path made: {} rows, {:.1f} s a lap", controls.draft.script().rows.size(),
                               controls.draft.script().seconds()));
    }
    return false;
}

bool StudySession::act(const NodeAction& action) {
    const SceneFitting& fitting = demo.view().fitting();
    if (action.kind == NodeAction::Kind::None || action.row < 0 || action.row >= static_cast<int>(fitting.nodes.size()))
        return false;
    const std::string& name = fitting.nodes[action.row].name;
    DemoScene next = demo.view().scene();
    switch (action.kind) {
    case NodeAction::Kind::Frame: controls.frameBox(nodeBox(fitting, action.row)); return false;
    case NodeAction::Kind::Copy:
        glfwSetClipboardString(demo.view().window(), options(next).c_str());
        report.say("copied: " + options(next));
        return false;
    case NodeAction::Kind::Mirror:
    case NodeAction::Kind::Glass: {
        // Named once at most, in one list at most: toggled on in the one asked, off in both.
        auto& list = action.kind == NodeAction::Kind::Mirror ? next.mirrors : next.glass;
        const bool was = std::find(list.begin(), list.end(), name) != list.end();
        for (auto* names : {&next.mirrors, &next.glass}) names->erase(std::remove(names->begin(), names->end(), name), names->end());
        if (!was) list.push_back(name);
        report.say(fmt::format("\"{}\" {} {}: the scene opens again", name, was ? "no longer" : "now",
                               action.kind == NodeAction::Kind::Mirror ? "mirrors" : "refracts"));
        reopening = std::move(next);
        return true;
    }
    case NodeAction::Kind::None: break;
    }
    return false;
}

std::string StudySession::options(const DemoScene& scene) {
    // Quoted for a POSIX shell.
    const auto quoted = [](const std::string& text) {
        std::string out = "'";
        for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return out + "'";
    };
    std::string line = "quessel-study";
    if (scene.brought) line += " --scene " + quoted(scene.path);
    for (const std::string& name : scene.mirrors) line += " --mirror " + quoted(name);
    for (const std::string& name : scene.glass) line += " --glass " + quoted(name);
    if (scene.brought && !scene.ownLook) line += " --look demo";
    if (!scene.sky.empty()) line += " --sky " + quoted(scene.sky);
    if (scene.background != "grey") line += " --background " + quoted(scene.background);
    if (!scene.smoke.empty()) line += " --smoke " + quoted(scene.smoke);
    return line;
}

Bounds StudySession::nodeBox(const SceneFitting& fitting, int row) {
    // The node's own meshes, and those of the nodes below it in the tree.
    Bounds box;
    const std::vector<NodeRow>& nodes = fitting.nodes;
    for (size_t i = static_cast<size_t>(row); i < nodes.size(); ++i) {
        if (i > static_cast<size_t>(row) && nodes[i].depth <= nodes[row].depth) break;
        for (const MeshPlace& place : fitting.meshes)
            if (place.node == nodes[i].name) {
                box.add(place.box.min);
                box.add(place.box.max);
            }
    }
    return box;
}

int StudySession::run() {
    lastFrame = Clock::now();
    for (;;) {
        if (ToolReport::stopSignal()) return report.interrupted("the study");
        if (frame()) return 0;
    }
}

int StudySession::shoot(const std::string& file, const std::string& viewFile) {
    if (stopAsked()) return report.interrupted("the shot");
    // The depth pass clears its target with the clear colour in force before the frame.
    GLfloat clear[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    driver.frame(controls.plan(StudyControls::SingleStep));
    if (!viewFile.empty()) {
        const int status = files.saveView(viewFile);
        if (status != 0 || file.empty()) return status;
    }
    return files.shot(file, {static_cast<unsigned char>(std::lround(clear[0] * 255.0f)),
                             static_cast<unsigned char>(std::lround(clear[1] * 255.0f)),
                             static_cast<unsigned char>(std::lround(clear[2] * 255.0f))});
}

}  // namespace Quessel::Study
