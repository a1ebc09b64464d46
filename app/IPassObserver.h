#pragma once

namespace Quessel {

// The passes of one frame, in order.
enum class Pass { Camera, EnvironmentMap, Main, Reflect, Refract, Particles, Depth, Composite, Count };
constexpr int PassCount = static_cast<int>(Pass::Count);

inline Pass passAt(int index) { return static_cast<Pass>(index); }

// Names as the tools show them (tables, JSON, plots, the study overlay).
inline const char* passName(Pass pass) {
    static const char* const names[PassCount] = {"camera",  "environment_map", "main",  "reflect",
                                                 "refract", "particles",       "depth", "composite"};
    return pass < Pass::Count ? names[static_cast<int>(pass)] : "?";
}

// The camera pass only moves the path and the light on the CPU: no draw to time.
inline bool hasGpuTime(Pass pass) { return pass != Pass::Camera; }

// Told when each pass of a frame begins and ends; the tools time passes with it.
class IPassObserver {
public:
    virtual void beginPass(Pass pass) = 0;
    virtual void endPass(Pass pass) = 0;
    virtual ~IPassObserver() = default;
};

}  // namespace Quessel
