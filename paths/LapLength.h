#pragma once
#include "paths/CameraPath.h"

#include <functional>

namespace Quessel {

// How many frames of a fixed step a run shows by a time, and until a path's lap ends: the
// arithmetic of laps the tools share, without GL.
class LapLength {
public:
    // Asked now and then in a long count whether it is to stop (a tool's Ctrl-C).
    using StopRequest = std::function<bool()>;

    // Whether a frame of `step` starting at `clock` ends by `until`; the slack keeps the
    // rounding of a summed clock from dropping the frame that ends right at `until`.
    static bool endsBy(double clock, double step, double until) { return clock + step <= until + 1e-9; }
    // How many frames of `step` a run from t = 0 has shown by `until`.
    static long framesBy(double until, double step);
    // Frames of `step` seconds after those framesBy(start, step) until the path is back at
    // its first row, the frame that gets there included; -1 when it never does or `stop`
    // cut the count short. Stepped on a camera of its own.
    static long framesToLapEnd(double start, double step, const CameraPath::Script& path = CameraPath::Script::demo(),
                               const StopRequest& stop = {});
};

}  // namespace Quessel
