#pragma once

namespace Quessel {

// The passes of one frame, in order.
enum class Pass { Camera, EnvironmentMap, Main, Reflect, Refract, Particles, Depth, Composite, Count };

// Told when each pass of a frame begins and ends; the benchmark times passes with it.
class IPassObserver {
public:
    virtual void beginPass(Pass pass) = 0;
    virtual void endPass(Pass pass) = 0;
    virtual ~IPassObserver() = default;
};

}  // namespace Quessel
