#pragma once
#include <vector>

namespace Quessel {

struct RecordOptions;

// The time steps of a recording, worked out before anything is drawn by stepping a camera
// and path of its own (no GL): the unrecorded frames that reach the start time, then the
// recorded frames of 1/fps each. The demo stepped with the same steps goes the same way.
struct RecordingPlan {
    std::vector<double> fastForward;
    double frameStep = 0.0;
    int frames = 0;

    static RecordingPlan make(const RecordOptions& options);
    // Recorded frames of `step` seconds from the given time steps on until the path returns
    // to its first row (the frame in which it does is the last); -1 when it never does.
    static int framesUntilLapEnds(const std::vector<double>& before, double step);

    double seconds() const { return frames * frameStep; }
};

}  // namespace Quessel
