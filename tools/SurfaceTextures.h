#pragma once

#include "Image.h"

namespace Quessel::SceneGen {

// A tileable diffuse texture and the normal map derived from the same height field.
struct SurfaceTexture {
    Image colour;
    Image normals;
};

class SurfaceTextures {
public:
    static constexpr int size = 512;

    static SurfaceTexture whiteTiles();
    static SurfaceTexture paintedPlaster();
    static SurfaceTexture bricks();
    static SurfaceTexture duckSkin(bool variant);
    static SurfaceTexture dragonFruitSkin();

    // Soft light-grey puff, alpha 0 on and near the border.
    static Image smokePuff(int size);
};

}  // namespace Quessel::SceneGen
