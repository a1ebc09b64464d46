#include "study/StudyControls.h"

#include "math/Framing.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace Quessel::Study {

StudyControls::StudyControls(Camera& camera, int cubeMaps, SceneFitting fitting)
    : camera(camera), cubeMaps(cubeMaps), fitting(std::move(fitting)) {
    if (this->fitting.ownScale) freeCamera.speed = this->fitting.framing.flightSpeed();
}

void StudyControls::scroll(double notches) { freeCamera.speed *= static_cast<float>(std::pow(WheelFactor, notches)); }

void StudyControls::frameScene() {
    if (!fitting.ownScale) return;
    if (!freeFlight) press(StudyKey::FreeCamera);
    freeCamera.position = fitting.framing.view(freeCamera.forward()).position;
}

void StudyControls::press(StudyKey key) {
    switch (key) {
    case StudyKey::Pause: paused = !paused; break;
    case StudyKey::Step: stepPending = paused; break;
    case StudyKey::FreeCamera:
        if (freeFlight) {
            freeCamera.leave(camera);
            // The path made while flying plays from now on.
            draftToPlay = draftChanged && !draft.script().rows.empty();
            draftChanged = false;
        } else {
            freeCamera.enter(camera);
        }
        freeFlight = !freeFlight;
        break;
    case StudyKey::Frame: frameScene(); break;
    case StudyKey::Overlay: overlay = !overlay; break;
    case StudyKey::NextView: nextView(); break;
    case StudyKey::Reload: reloadPending = true; break;
    case StudyKey::Screenshot: screenshotPending = true; break;
    case StudyKey::SavePath: savePending = true; break;
    case StudyKey::AddView:
    case StudyKey::AddHold:
    case StudyKey::RemoveRow:
    case StudyKey::Longer:
    case StudyKey::Shorter:
    case StudyKey::AimView: author(key); break;
    case StudyKey::NextCamera:
        if (fitting.cameras.empty()) break;
        cameraIndex = (cameraIndex + 1) % static_cast<int>(fitting.cameras.size());
        if (!freeFlight) press(StudyKey::FreeCamera);
        freeCamera.look(fitting.cameras[cameraIndex].position, fitting.cameras[cameraIndex].direction);
        break;
    case StudyKey::Restart:
        // The path again: free flight ends without playing what was made there.
        if (freeFlight) press(StudyKey::FreeCamera);
        draftToPlay = false;
        restartPending = true;
        break;
    }
}

void StudyControls::frameBox(const Bounds& box) {
    if (box.empty()) return;
    if (!freeFlight) press(StudyKey::FreeCamera);
    freeCamera.position = Framing(box).view(freeCamera.forward()).position;
}

bool StudyControls::takeRestart() { return std::exchange(restartPending, false); }

void StudyControls::author(StudyKey key) {
    // Paths are made where the camera flies freely.
    if (!freeFlight) return;
    switch (key) {
    case StudyKey::AddView: draft.addView(freeCamera.pose()); break;
    case StudyKey::AimView: draft.addAimedView(freeCamera.pose(), aimPoint()); break;
    case StudyKey::AddHold: draft.addHold(); break;
    case StudyKey::RemoveRow: draft.removeLast(); break;
    case StudyKey::Longer: draft.longer(); return;
    case StudyKey::Shorter: draft.shorter(); return;
    default: return;
    }
    draftChanged = true;
}

void StudyControls::nextView() {
    using Kind = View::Kind;
    switch (view.kind) {
    case Kind::Frame: view = {Kind::ColorTarget, 0}; break;
    case Kind::ColorTarget: view = {Kind::DepthTarget, 0}; break;
    case Kind::DepthTarget: view = cubeMaps > 0 ? View{Kind::CubeMap, 0} : View{}; break;
    case Kind::CubeMap: view = view.cubeMap + 1 < cubeMaps ? View{Kind::CubeMap, view.cubeMap + 1} : View{}; break;
    }
}

void StudyControls::fly(const HeldKeys& keys, double wallStep) {
    if (freeFlight) freeCamera.fly(keys, static_cast<float>(std::min(wallStep, LongestStep)));
}

FramePlan StudyControls::plan(double wallStep) {
    FramePlan next;
    if (!paused)
        next.step = std::clamp(wallStep, 0.0, LongestStep);
    else if (stepPending)
        next.step = SingleStep;
    stepPending = false;
    if (!freeFlight && next.step > 0.0) {
        next.compositeStep = next.step;
        return next;
    }
    next.camera = freeFlight ? FramePlan::Camera::Given : FramePlan::Camera::Hold;
    if (freeFlight) next.pose = freeCamera.pose();
    next.refresh = next.step > 0.0 ? FramePlan::Refresh::Next : FramePlan::Refresh::None;
    next.compositeStep = CompositeStep;
    return next;
}

bool StudyControls::takeReload() { return std::exchange(reloadPending, false); }

bool StudyControls::takeScreenshot() { return std::exchange(screenshotPending, false); }

bool StudyControls::takeSavePath() { return std::exchange(savePending, false); }

bool StudyControls::takeDraftToPlay() { return std::exchange(draftToPlay, false); }

}  // namespace Quessel::Study
