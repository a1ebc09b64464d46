#pragma once
#include "paths/CameraPath.h"

#include <string>

namespace Quessel {

class DemoView;

// Which path a tool flies, from its --path choice: a file, "demo" or "tour".
class PathChoice {
public:
    // Whether the choice names a path file (PathFile reads it) rather than a path made here.
    static bool namesFile(const std::string& choice);
    // The path flown when the choice names no file: "demo" (the demo's own), "tour", or with
    // no choice the demo's own in its own scene and the tour in a brought one; where the
    // scene is drawn.
    static CameraPath::Script made(const std::string& choice, const DemoView& demo);
    // The scene's tour (see Tour), round its framing and to each reflective or refractive object.
    static CameraPath::Script tour(const DemoView& demo);
};

}  // namespace Quessel
