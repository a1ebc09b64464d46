#include "study/StudySession.h"

#include "app/CameraPath.h"
#include "app/Demo.h"
#include "app/PathFile.h"
#include "app/PlacedPath.h"
#include "core/GlConstants.h"
#include "core/RgbImage.h"
#include "math/Camera.h"
#include "math/Framing.h"
#include "study/FrameCoverage.h"
#include "study/Screenshot.h"
#include "study/ViewFile.h"

#include <GLFW/glfw3.h>
#include <fmt/format.h>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace Quessel::Study {

namespace {
// Frames whose wall time the overlay averages.
constexpr size_t AveragedFrames = 16;

int cubeMapCount(const Demo& demo) { return static_cast<int>(demo.mirrors().size()); }

bool stopAsked() { return ToolReport::stopSignal() != 0; }

bool studyKey(int key, StudyKey& studied) {
    switch (key) {
    case GLFW_KEY_SPACE: studied = StudyKey::Pause; return true;
    case GLFW_KEY_PERIOD: studied = StudyKey::Step; return true;
    case GLFW_KEY_TAB: studied = StudyKey::FreeCamera; return true;
    case GLFW_KEY_F: studied = StudyKey::Frame; return true;
    case GLFW_KEY_F1: studied = StudyKey::Overlay; return true;
    case GLFW_KEY_F2: studied = StudyKey::NextView; return true;
    case GLFW_KEY_F5: studied = StudyKey::Reload; return true;
    case GLFW_KEY_F12: studied = StudyKey::Screenshot; return true;
    case GLFW_KEY_F6: studied = StudyKey::SavePath; return true;
    case GLFW_KEY_ENTER:
    case GLFW_KEY_KP_ENTER: studied = StudyKey::AddView; return true;
    case GLFW_KEY_H: studied = StudyKey::AddHold; return true;
    case GLFW_KEY_BACKSPACE: studied = StudyKey::RemoveRow; return true;
    case GLFW_KEY_EQUAL:
    case GLFW_KEY_KP_ADD: studied = StudyKey::Longer; return true;
    case GLFW_KEY_MINUS:
    case GLFW_KEY_KP_SUBTRACT: studied = StudyKey::Shorter; return true;
    default: return false;
    }
}
}  // namespace

StudySession::StudySession(Demo& demo, const ToolReport& report)
    : demo(demo),
      driver(demo),
      controls(demo.camera(), cubeMapCount(demo), demo.framing()),
      report(report),
      overlay(demo.window()) {
    GLFWwindow* window = demo.window();
    // The demo captures the cursor; here it drags the view and is seen.
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_NORMAL);
    glfwSetWindowUserPointer(window, this);
    glfwSetKeyCallback(window, onKey);
    glfwSetScrollCallback(window, onScroll);
    glfwGetCursorPos(window, &cursorX, &cursorY);
    std::string log;
    viewsReady = views.init(log);
    if (!viewsReady) report.say("the views (F2) are off: " + log);
}

void StudySession::onScroll(GLFWwindow* window, double, double notches) {
    auto* session = static_cast<StudySession*>(glfwGetWindowUserPointer(window));
    if (session) session->controls.scroll(notches);
}

void StudySession::onKey(GLFWwindow* window, int key, int, int action, int) {
    // The demo's end test asks whether Escape is down when it polls; pressed and let go
    // between two polls of a slow frame, it is still seen here.
    if (key == GLFW_KEY_ESCAPE && action == GLFW_PRESS) glfwSetWindowShouldClose(window, GLFW_TRUE);
    auto* session = static_cast<StudySession*>(glfwGetWindowUserPointer(window));
    StudyKey studied;
    if (session && action == GLFW_PRESS && studyKey(key, studied)) session->controls.press(studied);
}

HeldKeys StudySession::heldKeys() {
    GLFWwindow* window = demo.window();
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
        views.drawColorTarget(demo.colorTarget());
    } else if (view.kind == View::Kind::DepthTarget) {
        const Framing* framing = demo.framing();
        views.drawDepthTarget(demo.depthTarget(), demo.camera().projection,
                              framing ? framing->radius() / Framing::ReferenceRadius : 1.0f);
    } else {
        const std::vector<MirrorView> mirrors = demo.mirrors();
        const size_t index = static_cast<size_t>(view.cubeMap);
        if (index >= mirrors.size()) return;
        const MirrorView& mirror = mirrors[index];
        views.drawCubeMap(mirror.cubeMap, mirror.name + (mirror.refractive ? " (refractive)" : " (reflective)"));
    }
}

void StudySession::saveScreenshot() {
    std::string path;
    std::string error;
    if (Screenshot::save(driver.clock(), path, error))
        report.say("screenshot: " + path);
    else
        report.say("no screenshot: " + error);
}

void StudySession::reloadShaders() {
    const ShaderReload outcome = demo.reloadShaders();
    reloadSummary = outcome.summary();
    reloadLog = outcome.log;
    report.say(reloadSummary);
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
    passTimes = timers[timerInUse]->collect();
}

namespace {
// A row as the overlay lists it: the demo's points and directions by their names.
std::string rowText(const CameraPath::Step& row) {
    const auto named = [](const vec3& value, const vec3* table, int count, char letter) {
        for (int i = 0; i < count; ++i)
            if (table[i] == value) return fmt::format("{}{}", letter, i);
        return fmt::format("({:.3g}, {:.3g}, {:.3g})", value.x, value.y, value.z);
    };
    switch (row.kind) {
    case CameraPath::Kind::Move:
        return "move " + named(row.from, CameraPath::points, 6, 'P') + " -> " +
               named(row.to, CameraPath::points, 6, 'P') +
               (row.aimed
                    ? fmt::format(" looking at ({:.3g}, {:.3g}, {:.3g})", row.target.x, row.target.y, row.target.z)
                    : std::string());
    case CameraPath::Kind::Turn:
        return "turn " + named(row.from, CameraPath::directions, 9, 'V') + " -> " +
               named(row.to, CameraPath::directions, 9, 'V');
    case CameraPath::Kind::Hold: break;
    }
    return "hold";
}

// Rows listed around the one marked.
constexpr int ListedAround = 5;

std::vector<std::string> rowList(const CameraPath::Script& script, int marked, const Placement& placement) {
    std::vector<std::string> lines;
    const int count = static_cast<int>(script.rows.size());
    const int first = std::max(0, std::min(marked - ListedAround, count - 2 * ListedAround - 1));
    for (int i = first; i < count && i <= first + 2 * ListedAround; ++i)
        lines.push_back(fmt::format("{} {:2} {:.1f} s {}", i == marked ? ">" : " ", i, script.rows[i].duration,
                                    rowText(PlacedPath::rowInScene(script.rows[i], placement))));
    return lines;
}
}  // namespace

std::string StudySession::pathRow() const {
    const CameraPath& path = demo.path();
    const auto& rows = path.script().rows;
    if (rows.empty()) return "no rows: the camera stays where the path starts";
    const CameraPath::Step& row = rows[static_cast<size_t>(path.step)];
    return fmt::format("row {} (rows 0-{}): {}, {:.2f} of {:.2f} s", path.step, rows.size() - 1,
                       rowText(PlacedPath::rowInScene(row, demo.placement())),
                       demo.camera().pathTime, row.duration);
}

std::string StudySession::viewName() const {
    switch (controls.view.kind) {
    case View::Kind::Frame: return "the frame";
    case View::Kind::ColorTarget: return "colour target";
    case View::Kind::DepthTarget: return "depth target";
    case View::Kind::CubeMap: break;
    }
    return fmt::format("cube map {} of {}", controls.view.cubeMap + 1, cubeMapCount(demo));
}

OverlayFacts StudySession::overlayFacts() const {
    OverlayFacts facts;
    for (double ms : recentFrames) facts.frameMs += ms / static_cast<double>(recentFrames.size());
    facts.cpuMs = cpuMs;
    facts.passes = passTimes;
    for (double ms : passTimes.gpuMs) facts.gpuMs += ms;
    facts.pathRow = pathRow();
    if (controls.freeFlight) {
        const PathDraft& draft = controls.draft;
        facts.rowsTitle = draft.started() ? fmt::format(
                                                "path being made ({:.1f} s a row; Enter view, H hold, "
                                                "Backspace undo, - / = seconds, F6 save):",
                                                draft.seconds)
                                          : "Enter starts a path at this view (F6 saves it)";
        facts.rows = rowList(draft.script(), static_cast<int>(draft.script().rows.size()) - 1, demo.placement());
    } else {
        facts.rowsTitle = fmt::format("path, {:.1f} s a lap:", demo.path().script().seconds());
        facts.rows = rowList(demo.path().script(), demo.path().step, demo.placement());
    }
    facts.demoTime = driver.clock();
    const mat4 eye = glm::inverse(demo.camera().view);
    // Where the camera is in the scene's own coordinates.
    facts.position = demo.placement().toScene(vec3(eye[3]));
    facts.direction = -glm::normalize(vec3(eye[2]));
    const std::vector<MirrorView> mirrors = demo.mirrors();
    const int refreshed = demo.refreshed();
    if (refreshed >= 0 && refreshed < static_cast<int>(mirrors.size()))
        facts.refreshed = fmt::format("{} ({} of {})", mirrors[refreshed].name, refreshed + 1, mirrors.size());
    else
        facts.refreshed = mirrors.empty() ? "none (no spheres)" : "none (paused)";
    facts.paused = controls.paused;
    facts.freeFlight = controls.freeFlight;
    facts.view = viewName();
    facts.glErrors = demo.errorCount();
    facts.light = demo.lightInUse();
    if (const Framing* framing = demo.framing()) {
        const Placement& placement = demo.placement();
        const vec3 size = framing->bounds.size();
        facts.sceneSize = fmt::format("scene {:.3g} x {:.3g} x {:.3g}, flight {:.3g} per s (wheel)",
                                      placement.toScene(size.x), placement.toScene(size.y),
                                      placement.toScene(size.z), placement.toScene(controls.freeCamera.speed));
    }
    facts.reload = reloadSummary;
    facts.reloadLog = reloadLog;
    return facts;
}

bool StudySession::frame() {
    const Clock::time_point now = Clock::now();
    const double wallStep = std::chrono::duration<double>(now - lastFrame).count();
    lastFrame = now;
    recentFrames.push_back(wallStep * 1000.0);
    if (recentFrames.size() > AveragedFrames) recentFrames.pop_front();

    controls.fly(heldKeys(), wallStep);
    const FramePlan plan = controls.plan(wallStep);
    observePasses();
    driver.frame(plan);
    drawView();
    if (controls.overlay) overlay.draw(overlayFacts(), wallStep);
    if (controls.takeScreenshot()) saveScreenshot();
    cpuMs = std::chrono::duration<double, std::milli>(Clock::now() - now).count();
    if (driver.present()) return true;
    collectPassTimes();
    if (controls.takeReload()) reloadShaders();
    if (controls.takeSavePath()) savePath();
    if (controls.takeDraftToPlay()) {
        demo.play(controls.draft.script());
        report.say(fmt::format("playing the path made: {} rows, {:.1f} s a lap", controls.draft.script().rows.size(),
                               controls.draft.script().seconds()));
    }
    return false;
}

void StudySession::savePath() {
    // The path being made, or else the one playing.
    // In the scene's own coordinates, as path files give them.
    const CameraPath::Script script = PlacedPath::inScene(
        controls.draft.started() ? controls.draft.script() : demo.path().script(), demo.placement());
    const std::string folder = Screenshot::folder("paths");
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    std::string name = Screenshot::fileName(std::chrono::system_clock::now(), driver.clock());
    name.replace(name.size() - 4, 4, ".json");
    std::string error;
    if (!made && PathFile::write(script, folder + "/" + name, error))
        report.say("path saved: " + folder + "/" + name);
    else
        report.say("no path saved: " + (made ? "cannot make " + folder + ": " + made.message() : error));
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
        const int status = saveView(viewFile);
        if (status != 0 || file.empty()) return status;
    }
    const RgbImage window = RgbImage::readWindow(ScreenWidth, ScreenHeight);
    const std::array<unsigned char, 3> cleared = {static_cast<unsigned char>(std::lround(clear[0] * 255.0f)),
                                                  static_cast<unsigned char>(std::lround(clear[1] * 255.0f)),
                                                  static_cast<unsigned char>(std::lround(clear[2] * 255.0f))};
    const FrameCoverage coverage = FrameCoverage::of(RgbImage::readTexture(demo.depthTarget()), cleared,
                                                     RgbImage::readTexture(demo.colorTarget()));
    // Under a name of its own until whole, so that Ctrl-C leaves no picture and an earlier
    // one as it was.
    const std::string part = file + ".part";
    if (!window.savePng(part)) return report.fail("cannot write " + file + ": " + std::strerror(errno));
    if (stopAsked()) {
        std::remove(part.c_str());
        return report.interrupted("the shot");
    }
    if (std::rename(part.c_str(), file.c_str()) != 0) {
        const int reason = errno;
        std::remove(part.c_str());
        return report.fail("cannot write " + file + ": " + std::strerror(reason));
    }
    report.say(fmt::format("first frame: {}; the scene fills {:.1f} % of it, mean brightness there {:.0f} of 255", file,
                           coverage.share * 100.0, coverage.brightness));
    return 0;
}

int StudySession::saveView(const std::string& file) {
    const Camera& camera = demo.camera();
    // Our own scene keeps the demo's planes, the shares of its courtyard's radius.
    const Framing* framing = demo.framing();
    const Placement& placement = demo.placement();
    // Saved in the scene's own coordinates, as path files give them: a placed scene's camera,
    // planes and box are taken back from where it is drawn.
    const mat4 eye = glm::inverse(camera.view);
    const vec3 position = placement.toScene(vec3(eye[3]));
    const mat4 view = glm::lookAt(position, position - vec3(eye[2]), vec3(eye[1]));
    const auto length = [&](float drawn) { return static_cast<float>(placement.toScene(drawn)); };
    const float nearPlane = framing ? length(framing->nearPlane()) : Framing::NearShare * Framing::ReferenceRadius;
    const float farPlane = framing ? length(framing->farPlane()) : Framing::FarShare * Framing::ReferenceRadius;
    Bounds box;
    if (framing && !framing->bounds.empty()) {
        box.add(placement.toScene(framing->bounds.min));
        box.add(placement.toScene(framing->bounds.max));
    }
    const std::string text = ViewFile::text(view, camera.projection, nearPlane, farPlane, box);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) return report.fail("cannot write " + file + ": " + std::strerror(errno));
    report.say("view saved: " + file);
    return 0;
}

namespace {
double median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}
}  // namespace

namespace {
// CPU time of the whole process (every llvmpipe thread), which other processes on a shared
// machine disturb far less than the wall clock.
double processCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec * 1e-3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}
}  // namespace

StudySession::Block StudySession::measuredBlock(int frames, bool shown) {
    controls.overlay = shown;
    Block block;
    // One frame more than measured: the first one's wall step belongs to the block before.
    for (int i = 0; i <= frames; ++i) {
        // Steps of 1/30 s, as `.` makes them: both kinds of block draw nearly the same
        // stretch of the path whatever the machine's speed.
        controls.paused = true;
        controls.press(StudyKey::Step);
        if (i == 1) block.cpuMs = -processCpuMs();
        if (ToolReport::stopSignal() || frame()) return {};
        if (i > 0) block.wallMs.push_back(recentFrames.back());
    }
    block.cpuMs = (block.cpuMs + processCpuMs()) / frames;
    return block;
}

int StudySession::measureOverlay(int frames) {
    // Short blocks in many rounds, each round's order the other way round: the machine's
    // drift (this one is shared) falls on both kinds alike.
    constexpr int Rounds = 20;
    report.say(
        fmt::format("measuring the overlay: {} rounds of {} frames with it and {} without", Rounds, frames, frames));
    std::vector<double> shown;
    std::vector<double> hidden;
    std::vector<double> ratios;
    double cpu[2] = {0.0, 0.0};  // hidden, shown
    lastFrame = Clock::now();
    for (int round = 0; round < Rounds; ++round) {
        for (bool shownBlock : {round % 2 == 0, round % 2 != 0}) {
            const Block block = measuredBlock(frames, shownBlock);
            if (block.wallMs.empty())
                return ToolReport::stopSignal() ? report.interrupted("the measurement")
                                                : report.fail("stopped by Escape before the measurement ended");
            std::vector<double>& all = shownBlock ? shown : hidden;
            all.insert(all.end(), block.wallMs.begin(), block.wallMs.end());
            cpu[shownBlock] += block.cpuMs / Rounds;
        }
        // This round's medians, the last `frames` of each list.
        const auto last = [frames](const std::vector<double>& all) {
            return median(std::vector<double>(all.end() - frames, all.end()));
        };
        ratios.push_back(last(shown) / last(hidden));
    }
    const double on = median(shown);
    const double off = median(hidden);
    std::sort(ratios.begin(), ratios.end());
    const auto percent = [](double ratio) { return (ratio - 1.0) * 100.0; };
    report.say(
        fmt::format("median frame {:.1f} ms with the overlay, {:.1f} ms without: {:+.1f} %; per round: "
                    "median {:+.1f} %, middle half {:+.1f} % to {:+.1f} %",
                    on, off, percent(on / off), percent(median(ratios)), percent(ratios[Rounds / 4]),
                    percent(ratios[Rounds * 3 / 4 - 1])));
    report.say(fmt::format("process CPU time per frame {:.1f} ms with the overlay, {:.1f} ms without: {:+.1f} %",
                           cpu[1], cpu[0], percent(cpu[1] / cpu[0])));
    return 0;
}

}  // namespace Quessel::Study
