#pragma once
#include "math/MathTypes.h"

#include <string>

namespace Quessel {

// What surrounds a brought scene: linear radiance arriving from every direction (world
// space, Y up), from which the look makes its cube maps and irradiance once at set-up.
class IEnvironment {
public:
    virtual ~IEnvironment() = default;
    // `direction` has unit length.
    virtual vec3 radiance(const vec3& direction) const = 0;
    // For the overlay: "studio" or the file.
    virtual std::string name() const = 0;
    // The cube-map face size that keeps the detail this environment has.
    virtual int faceSize() const = 0;
};

}  // namespace Quessel
