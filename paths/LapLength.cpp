#include "paths/LapLength.h"

#include "math/Camera.h"

#include <cmath>

namespace Quessel {

namespace {
// A path is back at its first row within its own length, a frame a row and this.
constexpr double LapSlackSeconds = 200.0;
}  // namespace

long LapLength::framesBy(double until, double step) {
    long frames = 0;
    for (double at = 0.0; endsBy(at, step, until); at += step) ++frames;
    return frames;
}

long LapLength::framesToLapEnd(double start, double step, const CameraPath::Script& script, const StopRequest& stop) {
    Camera camera;
    CameraPath path(camera, script);
    path.start();
    // Every row takes a frame at least and at most one more than its seconds' worth (the
    // float clock of a row of an hour runs a few per cent slow at 240 fps).
    const double limit = std::ceil((script.seconds() * 1.05 + LapSlackSeconds) / step) + 2.0 * script.rows.size();
    // The demo hands the path each step as a float.
    const float dt = static_cast<float>(step);
    const auto stopped = [&stop](long frame) { return frame % 4096 == 0 && stop && stop(); };
    const long before = framesBy(start, step);
    for (long frame = 0; frame < before; ++frame) {
        if (stopped(frame)) return -1;
        path.advance(dt);
    }
    const int laps = path.laps;
    for (long frames = 1; frames <= limit; ++frames) {
        if (stopped(frames)) return -1;
        path.advance(dt);
        if (path.laps > laps) return frames;
    }
    return -1;
}

}  // namespace Quessel
