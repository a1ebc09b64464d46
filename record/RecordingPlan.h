#pragma once
#include <vector>

namespace Quessel::Record {

struct RecordOptions;

// The time steps of a recording, worked out before anything is drawn by stepping a camera
// and path of its own (no GL); the demo stepped with the same steps goes the same way.
// A later start is reached with a few long unrecorded frames that leave the path exactly
// where a recording from t = 0 has it at that time (a row ends on a frame boundary, so
// plain long frames would lose the time beyond each row's end). Then come the recorded
// frames of 1/fps each: the seconds asked for, or until the path returns to its first row
// (the frame in which it does is the last).
struct RecordingPlan {
    std::vector<double> fastForward;
    double frameStep = 0.0;
    // -1 when the path never returns to its first row.
    int frames = 0;

    static RecordingPlan make(const RecordOptions& options);

    double seconds() const { return frames * frameStep; }
};

}  // namespace Quessel::Record
