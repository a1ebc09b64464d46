#include "study/StudyFacts.h"

#include "app/Demo.h"
#include "math/Camera.h"
#include "paths/LapLength.h"
#include "paths/PlacedPath.h"
#include "core/GlConstants.h"
#include "look/SurfaceMaterial.h"
#include "study/MeshPick.h"
#include "study/StudyControls.h"

#include <fmt/format.h>

#include <algorithm>

namespace Quessel::Study {

namespace {
// A row as the overlay lists it: the demo's points and directions by their names.
std::string rowText(const CameraPath::Row& row) {
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
}  // namespace

std::vector<std::string> StudyFacts::rowList(const CameraPath::Script& script, int marked,
                                             const Placement& placement) {
    std::vector<std::string> lines;
    const int count = static_cast<int>(script.rows.size());
    const int first = std::max(0, std::min(marked - ListedAround, count - 2 * ListedAround - 1));
    for (int i = first; i < count && i <= first + 2 * ListedAround; ++i)
        lines.push_back(fmt::format("{} {:2} {:.1f} s {}", i == marked ? ">" : " ", i, script.rows[i].duration,
                                    rowText(PlacedPath::rowInScene(script.rows[i], placement))));
    return lines;
}

std::string StudyFacts::lapLength(const CameraPath::Script& script) {
    std::string text = fmt::format("a lap: {:.2f} s of rows", script.seconds());
    for (const double fps : {30.0, 10.0}) {
        const long frames = LapLength::framesToLapEnd(0.0, 1.0 / fps, script);
        if (frames > 0) text += fmt::format("; recorded at {:g} fps {} frames, {:.2f} s", fps, frames, frames / fps);
    }
    return text;
}

std::vector<std::string> StudyFacts::nodeLines(const std::vector<NodeRow>& rows) {
    std::vector<std::string> lines;
    const std::string text = NodeTree::text(rows);
    size_t from = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; from = end + 1, end = text.find('\n', from))
        lines.push_back(text.substr(from, end - from));
    return lines;
}

std::string StudyFacts::pathRow(const DemoView& demo) {
    const CameraPath& path = demo.path();
    const auto& rows = path.script().rows;
    if (rows.empty()) return "no rows: the camera stays where the path starts";
    const CameraPath::Row& row = rows[static_cast<size_t>(path.step)];
    return fmt::format("row {} (rows 0-{}): {}, {:.2f} of {:.2f} s", path.step, rows.size() - 1,
                       rowText(PlacedPath::rowInScene(row, demo.fitting().placement)), path.rowTime(), row.duration);
}

std::string StudyFacts::viewName(const StudyControls& controls, size_t cubeMaps) {
    switch (controls.view.kind) {
    case View::Kind::Frame: return "the frame";
    case View::Kind::ColorTarget: return "colour target";
    case View::Kind::DepthTarget: return "depth target";
    case View::Kind::CubeMap: break;
    }
    return fmt::format("cube map {} of {}", controls.view.cubeMap + 1, cubeMaps);
}

OverlayFacts StudyFacts::of(const DemoView& demo, const StudyControls& controls, const Session& session) {
    const SceneFitting& fitting = demo.fitting();
    const Placement& placement = fitting.placement;
    OverlayFacts facts;
    facts.frameMs = session.frameMs;
    facts.cpuMs = session.cpuMs;
    facts.passes = session.passes;
    for (double ms : session.passes.gpuMs) facts.gpuMs += ms;
    facts.pathRow = pathRow(demo);
    if (controls.freeFlight) {
        const PathDraft& draft = controls.draft;
        facts.rowsTitle = draft.started() ? fmt::format(
                                                "path being made ({:.1f} s a row; Enter view, H hold, "
                                                "Backspace undo, - / = seconds, F6 save):",
                                                draft.seconds)
                                          : "Enter starts a path at this view (F6 saves it)";
        facts.rows = rowList(draft.script(), static_cast<int>(draft.script().rows.size()) - 1, placement);
    } else {
        facts.rowsTitle = session.lap.empty() ? fmt::format("path, {:.1f} s a lap:", demo.path().script().seconds())
                                              : session.lap + ":";
        facts.rows = rowList(demo.path().script(), demo.path().step, placement);
    }
    facts.demoTime = session.demoTime;
    const mat4 eye = glm::inverse(demo.camera().view);
    // Where the camera is in the scene's own coordinates.
    facts.position = placement.toScene(vec3(eye[3]));
    facts.direction = -glm::normalize(vec3(eye[2]));
    const std::vector<MirrorView> mirrors = demo.mirrors();
    const int refreshed = demo.refreshed();
    if (refreshed >= 0 && refreshed < static_cast<int>(mirrors.size()))
        facts.refreshed = fmt::format("{} ({} of {})", mirrors[refreshed].name, refreshed + 1, mirrors.size());
    else
        facts.refreshed = mirrors.empty() ? "none (no spheres)" : "none (paused)";
    facts.paused = controls.paused;
    facts.freeFlight = controls.freeFlight;
    facts.view = viewName(controls, mirrors.size());
    facts.glErrors = demo.errorCount();
    facts.light = fitting.light;
    if (fitting.ownScale) {
        const vec3 size = fitting.framing.bounds.size();
        facts.sceneSize = fmt::format("scene {:.3g} x {:.3g} x {:.3g}, flight {:.3g} per s (wheel)",
                                      placement.toScene(size.x), placement.toScene(size.y),
                                      placement.toScene(size.z), placement.toScene(controls.freeCamera.speed));
    }
    const std::vector<SurfaceMaterial>& materials = demo.materials();
    if (!materials.empty() && session.cursorX >= 0.0) {
        const MeshPick::Ray ray = MeshPick::through(demo.camera().projection, demo.camera().view, session.cursorX,
                                                    session.cursorY, ScreenWidth, ScreenHeight);
        const int picked = MeshPick::nearest(fitting.meshes, ray);
        if (picked >= 0 && fitting.meshes[picked].mesh < materials.size())
            facts.material = MeshPick::describe(fitting.meshes[picked], materials[fitting.meshes[picked].mesh]);
        else
            facts.material = "nothing";
    }
    if (controls.freeFlight) {
        const vec3 aim = placement.toScene(controls.aimPoint());
        facts.aim = fmt::format("L adds a move looking at ({:.3g}, {:.3g}, {:.3g}), the scene's middle", aim.x, aim.y,
                                aim.z);
    }
    if (!fitting.cameras.empty()) {
        std::vector<std::string> names;
        for (const FileCamera& camera : fitting.cameras) names.push_back("\"" + camera.name + "\"");
        facts.cameras = fmt::format("the file's cameras: {} (C: the next{})", fmt::join(names, ", "),
                                    controls.fileCamera() >= 0 ? ", at " + names[controls.fileCamera()] : "");
    }
    facts.nodes = &session.nodes;
    facts.reload = session.reload;
    facts.reloadLog = session.reloadLog;
    return facts;
}

}  // namespace Quessel::Study
