#pragma once
#include "look/EnvironmentBake.h"

#include <GL/glew.h>

namespace Quessel {

// The environment on the GPU: half-float cube maps, the specular one with its roughness
// levels as mipmap levels. Owns its textures.
struct EnvironmentMaps {
    GLuint radiance = 0;
    GLuint specular = 0;
    // The specular cube map's last level (roughness 1).
    int specularTopLevel = 0;

    EnvironmentMaps() = default;
    explicit EnvironmentMaps(const EnvironmentBake& bake);
    ~EnvironmentMaps();
    EnvironmentMaps(const EnvironmentMaps&) = delete;
    EnvironmentMaps& operator=(const EnvironmentMaps&) = delete;
};

}  // namespace Quessel
