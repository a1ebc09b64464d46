#pragma once
#include "envmap/IFaceScenery.h"

namespace Quessel {

class Look;

// A brought scene's cube-map faces drawn with its own look: its environment behind (what
// mirrors and glass reflect, whatever the window's background), its surfaces in front.
class LookFaces : public IFaceScenery {
public:
    explicit LookFaces(Look& look) : look(look) {}
    void drawFace(const std::vector<aiNode*>& nodes, const vec3& eye) override;

private:
    Look& look;
};

}  // namespace Quessel
