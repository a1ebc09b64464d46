#pragma once
#include <cstdint>

namespace Quessel {

// The GL side of one scene mesh: its vertex array (which references the element and
// attribute buffers), textures, material buffer and triangle count.
struct MeshRecord {
    uint32_t vertexArray = 0;
    uint32_t texture = 0;
    uint32_t normalTexture = 0;
    uint32_t materialBuffer = 0;
    uint32_t faceCount = 0;
};

}  // namespace Quessel
