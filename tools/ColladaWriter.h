#pragma once

#include "SceneDescription.h"

#include <string>

namespace Quessel::SceneGen {

// Serialises a scene as COLLADA 1.4.1 with a Z-up asset, the way content tools export it:
// a world point (x, y, z) is written as (x, -z, y).
class ColladaWriter {
public:
    static std::string write(const SceneDescription& scene);
    static bool writeFile(const SceneDescription& scene, const std::string& path);
};

}  // namespace Quessel::SceneGen
