#pragma once
#include "look/IEnvironment.h"

namespace Quessel {

// A neutral photo studio made in code: a grey room (darker floor, lighter ceiling) with
// soft light panels overhead, at the front right, the left and behind. Every edge is a
// smooth ramp several degrees wide, so the cube maps made from it never alias.
class StudioEnvironment : public IEnvironment {
public:
    vec3 radiance(const vec3& direction) const override;
    std::string name() const override { return "studio"; }
    int faceSize() const override { return 128; }
};

}  // namespace Quessel
