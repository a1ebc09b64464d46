#pragma once
#include "app/IPassObserver.h"

#include <GL/glew.h>

#include <array>
#include <chrono>

namespace Quessel {

// Times each pass of a frame two ways: a GL_TIME_ELAPSED query around its GL work and
// the wall clock of issuing it. Passes follow each other, never nest, so one query per
// pass per frame serves; results are read after the frame, outside the frame's clock.
class PassTimer : public IPassObserver {
public:
    // Milliseconds per pass; GPU time is zero where a pass has none (see hasGpuTime).
    struct Times {
        std::array<double, PassCount> gpuMs{};
        std::array<double, PassCount> cpuMs{};
    };

    // Needs the current context. `synchronous`: finish the GL work at every pass end.
    explicit PassTimer(bool synchronous);

    void beginPass(Pass pass) override;
    void endPass(Pass pass) override;

    // Waits for this frame's query results and returns them with the issue times; the
    // next frame starts from nothing.
    Times collect();

private:
    using Clock = std::chrono::steady_clock;

    std::array<GLuint, PassCount> queries{};
    std::array<bool, PassCount> issued{};
    std::array<Clock::time_point, PassCount> begun{};
    std::array<double, PassCount> cpuMs{};
    bool queryOpen = false;
    bool synchronous = false;
};

}  // namespace Quessel
