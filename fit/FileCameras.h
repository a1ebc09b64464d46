#pragma once
#include "math/MathTypes.h"

#include <string>
#include <vector>

struct aiScene;

namespace Quessel {

// A camera the file gives, where its node puts it in the scene as drawn.
struct FileCamera {
    std::string name;
    vec3 position{0.0f};
    vec3 direction{0.0f, 0.0f, -1.0f};
    vec3 up{0.0f, 1.0f, 0.0f};
    // Its vertical field of view in radians as Assimp reports it (0: the file gives none).
    float verticalFov = 0.0f;
};

class FileCameras {
public:
    // Every camera of the scene whose node is there, through that node's place in the tree
    // (Assimp gives each camera in its node's space: glTF's and COLLADA's look along -Z).
    static std::vector<FileCamera> of(const aiScene* scene);
};

}  // namespace Quessel
