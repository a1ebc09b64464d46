#pragma once

#include "SceneDescription.h"

namespace Quessel::SceneGen {

// A small scene for tests that is built the way modelling tools export, not the way the
// demo's own scene is: nodes rotated, scaled unevenly and mirrored; spheres of radius 0.6
// and 2 and one stretched into an egg; a mesh without texture coordinates; a single-sided
// plane; a material without a texture; a normal-mapped panel and its mirror image. It
// keeps the node names the demo looks for and uses the demo's images.
class AwkwardLayout {
public:
    static SceneDescription build();
};

}  // namespace Quessel::SceneGen
