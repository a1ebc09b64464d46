#pragma once
#include "paths/CameraPath.h"
#include "math/Placement.h"

namespace Quessel {

// A camera path between a brought scene's own coordinates, in which path files and the
// overlay give it, and those it is drawn in (see Placement): points move with the scene,
// directions stay as they are.
class PlacedPath {
public:
    static CameraPath::Script drawn(const CameraPath::Script& script, const Placement& placement);
    static CameraPath::Script inScene(const CameraPath::Script& script, const Placement& placement);
    static CameraPath::Row rowInScene(const CameraPath::Row& row, const Placement& placement);
};

}  // namespace Quessel
