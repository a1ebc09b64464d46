#include "record/RecordingPlan.h"

#include "app/CameraPath.h"
#include "math/Camera.h"
#include "record/RecordOptions.h"

#include <algorithm>
#include <cmath>

namespace Quessel {

namespace {
// Unrecorded steps stay shorter than the path's shortest row, so none is skipped.
constexpr double FastForwardStep = 0.5;
// A lap is about 50 s; the path returns to its first row long before this.
constexpr double LapLimitSeconds = 200.0;
}  // namespace

int RecordingPlan::framesUntilLapEnds(const std::vector<double>& before, double step) {
    Camera camera;
    CameraPath path(camera);
    path.start();
    for (double dt : before) path.advance(static_cast<float>(dt));
    int previous = path.step;
    const int limit = static_cast<int>(std::ceil(LapLimitSeconds / step));
    for (int frames = 1; frames <= limit; ++frames) {
        path.advance(static_cast<float>(step));
        if (path.step == 0 && previous != 0) return frames;
        previous = path.step;
    }
    return -1;
}

RecordingPlan RecordingPlan::make(const RecordOptions& options) {
    RecordingPlan plan;
    plan.frameStep = 1.0 / options.fps;
    // Equal steps, so the start is reached exactly and every run takes the same ones.
    const int count = static_cast<int>(std::ceil(options.start / FastForwardStep - 1e-9));
    plan.fastForward.assign(static_cast<size_t>(count), count > 0 ? options.start / count : 0.0);
    if (options.seconds > 0.0)
        plan.frames = std::max(1, static_cast<int>(std::lround(options.seconds * options.fps)));
    else
        plan.frames = framesUntilLapEnds(plan.fastForward, plan.frameStep);
    return plan;
}

}  // namespace Quessel
