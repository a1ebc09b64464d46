#pragma once
#include "paths/CameraPath.h"
#include "paths/PathRules.h"
#include "math/CameraPose.h"

#include <algorithm>

namespace Quessel::Study {

// A camera path made by flying and dropping key views. The first view is where the path
// starts; each later one adds a turn towards it, a move to it (looking the way it goes)
// and a turn to the way it looks, the move and the last turn each of the seconds chosen
// now, the first turn of half as many. A move more steeply up or down than the free camera
// looks keeps looking ahead instead (no view looks straight up or down). A hold keeps the
// camera still for those seconds. Rows last an hour at most.
class PathDraft {
public:
    static constexpr float FirstSeconds = 2.0f;
    static constexpr float SecondsStep = 0.5f;
    static constexpr float ShortestSeconds = 0.5f;

    void addView(const CameraPose& pose);
    // A move to the view's place looking at `target` all the way (after a turn towards it),
    // so a path flown round a model keeps it in view; the first one is the start, looking at it.
    void addAimedView(const CameraPose& pose, const vec3& target);
    void addHold();
    // Takes away the last row; with no rows left, the start too.
    void removeLast();
    void longer() { seconds = std::min(static_cast<float>(PathRules::MaxRowSeconds), seconds + SecondsStep); }
    void shorter() { seconds = std::max(ShortestSeconds, seconds - SecondsStep); }

    bool started() const { return hasStart; }
    const CameraPath::Script& script() const { return draft; }

    // The seconds of the rows added next.
    float seconds = FirstSeconds;

private:
    CameraPath::Script draft;
    bool hasStart = false;
    vec3 lastPosition{0.0f};
    vec3 lastDirection{0.0f, 0.0f, -1.0f};
};

}  // namespace Quessel::Study
