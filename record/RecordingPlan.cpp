#include "record/RecordingPlan.h"

#include "app/CameraPath.h"
#include "math/Camera.h"
#include "record/RecordOptions.h"

#include <algorithm>
#include <cmath>

namespace Quessel::Record {

namespace {
// Unrecorded frames are at most as long as the path's shortest row, so none is skipped.
constexpr double FastForwardStep = 1.0;
// A row is finished this far past its end, whatever the float rounding of the timer.
constexpr double PastTheEnd = 1e-3;
// Seconds within which the fast-forward counts as arrived.
constexpr double Arrived = 1e-6;
// A lap is about 50 s; the path returns to its first row long before this.
constexpr double LapLimitSeconds = 200.0;
// Two laps of unrecorded frames reach any point of the path.
constexpr int StepLimit = 200;

// A camera and path of the plan's own, stepped like the demo's.
struct PathState {
    PathState() : path(camera) { path.start(); }
    void advance(double dt) { path.advance(static_cast<float>(dt)); }
    Camera camera;
    CameraPath path;
};

// The next unrecorded step towards `row` with `into` seconds of it done.
double stepTowards(const PathState& state, int row, double into) {
    const CameraPath::Step& now = CameraPath::steps[state.path.step];
    const double done = static_cast<double>(state.camera.pathTime);
    if (state.path.step == row && done <= into + Arrived) return std::min(into - done, FastForwardStep);
    // A hold right after a move or turn counts the whole frame that finishes it: when that
    // hold is the target, the finishing frame is as long as the time wanted in it.
    const bool holdFollows =
        now.kind != CameraPath::Kind::Hold && CameraPath::steps[now.next].kind == CameraPath::Kind::Hold;
    const double lead = holdFollows && now.next == row ? std::max(into - PastTheEnd, 0.0) : 0.0;
    const double remaining = static_cast<double>(now.duration) - done;
    if (remaining > lead + FastForwardStep) return FastForwardStep;
    if (lead > 0.0 && remaining > lead + PastTheEnd) return remaining - lead;
    return remaining + PastTheEnd;
}

// False when the target is never reached (it cannot be, for a start on the path).
bool stepTo(PathState& state, int row, double into, std::vector<double>& steps) {
    for (int i = 0; i < StepLimit; ++i) {
        const double dt = stepTowards(state, row, into);
        if (dt <= Arrived) return true;
        state.advance(dt);
        steps.push_back(dt);
    }
    return false;
}

int framesUntilLapEnds(PathState& state, double step) {
    int previous = state.path.step;
    const int limit = static_cast<int>(std::ceil(LapLimitSeconds / step));
    for (int frames = 1; frames <= limit; ++frames) {
        state.advance(step);
        if (state.path.step == 0 && previous != 0) return frames;
        previous = state.path.step;
    }
    return -1;
}
}  // namespace

RecordingPlan RecordingPlan::make(const RecordOptions& options) {
    RecordingPlan plan;
    plan.frameStep = 1.0 / options.fps;
    // Where a recording from t = 0 has the path at the start time.
    PathState continuous;
    const long earlier = std::lround(options.start * options.fps);
    for (long frame = 0; frame < earlier; ++frame) continuous.advance(plan.frameStep);

    PathState state;
    if (!stepTo(state, continuous.path.step, static_cast<double>(continuous.camera.pathTime), plan.fastForward))
        plan.frames = -1;
    else if (options.seconds > 0.0)
        plan.frames = std::max(1, static_cast<int>(std::lround(options.seconds * options.fps)));
    else
        plan.frames = framesUntilLapEnds(state, plan.frameStep);
    return plan;
}

}  // namespace Quessel::Record
