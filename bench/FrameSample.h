#pragma once
#include "app/IPassObserver.h"

#include <array>

namespace Quessel::Bench {

using Quessel::PassCount;

// The three frames a run measures in turn: the demo's, the same frame drawn with the
// cheapest shaders (the work the frame must do whatever it draws), and the floor.
enum class FrameKind { Demo, Required, Floor };
constexpr int FrameKindCount = 3;

inline const char* frameKindName(FrameKind kind) {
    static const char* const names[FrameKindCount] = {"demo", "required", "floor"};
    return names[static_cast<int>(kind)];
}

// What one measured frame cost. Times are milliseconds.
struct FrameSample {
    // Wall clock around the frame's work, present and glFinish: what a viewer waits.
    double frameMs = 0.0;
    // Wall clock of issuing the frame's work alone (renderFrame, or the floor's draw).
    double issueMs = 0.0;
    // GL_TIME_ELAPSED of each pass (zero where a pass has none), and the wall clock between
    // its begin and end on the issuing thread.
    std::array<double, PassCount> gpuMs{};
    std::array<double, PassCount> cpuMs{};
    // VmRSS after the frame, in KiB.
    long residentKb = 0;
    // The camera path row the frame ran (CameraPath::steps); -1 for floor frames.
    int pathStep = -1;
    FrameKind kind = FrameKind::Demo;
    // The round of blocks the frame was measured in, and its place in its block.
    int block = 0;
    int inBlock = 0;
};

}  // namespace Quessel::Bench
