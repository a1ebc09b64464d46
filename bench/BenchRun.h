#pragma once
#include "harness/FrameDriver.h"
#include "bench/BenchFigures.h"
#include "core/UniformSnapshot.h"

#include <GL/glew.h>

#include <string>
#include <vector>

namespace Quessel {
class Demo;
struct RgbImage;
}  // namespace Quessel

namespace Quessel::Bench {

// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:"); 0 when it cannot be read.
long statusKb(const std::string& field);

// Drives the real demo, set up, through the measured sequence on a simulated clock: a
// fast-forward with 1 s frames to 1 s before the end of the hold at P1, the swap check, then
// rounds of a block of demo frames, a block of required-work frames and a block of floor
// frames. Demo and required-work frames advance the path by `step` seconds, nothing else does.
// A brought scene is fast-forwarded to BenchOptions::BroughtStartSeconds of its tour instead,
// and its rounds have demo and floor frames only (no swap, no swap check).
//
// The required work is the same frame with the scene, depth, sphere and composite programs
// relinked in place with cheap shaders (the registry's records and the GL names the cube-map
// renderers keep stay valid), the uniform values the host set once carried over both ways.
// The floor is the cheapest frame the window allows: clear, one full-screen quad with one
// bilinear tap of a screen-sized texture, present.
class BenchRun {
public:
    BenchRun(Demo& demo, const BenchOptions& options);

    // Compiles the cheap shaders in `directory` once.
    bool prepareSwap(const std::string& directory);
    bool fastForward();
    // Still frames with the demo's shaders, the cheap ones and the demo's again, compared.
    void checkSwap();
    // Builds the floor, then every measured frame in run order, until done, stopped, or the
    // floor or a relink fails.
    std::vector<FrameSample> measure(PassTimer& timer);

    FrameDriver driver;
    RunInfo info;
    // By Escape, a closed window, or Ctrl-C / SIGTERM (ToolReport::stopSignal).
    bool stopped = false;
    // Why a step failed.
    std::string failure;

private:
    struct CheapProgram {
        std::string name;
        GLuint vertex;
        GLuint fragment;
        // The demo program's values, read before it is swapped out.
        UniformSnapshot values;
    };

    bool buildFloor();
    void drawFloor();
    void present();
    // A frame of no simulated time that redraws every cube map in turn: the path, light,
    // particles and clock stay, and so does the cube-map rotation, so the measured sequence
    // is what a run without it would see. With `window`, the window's frame is read back
    // before it is presented.
    void stillFrame(RgbImage* window = nullptr);
    // Still frames until every cube map was redrawn three times (a cube map shows the
    // others as they were when it was drawn); the last one read back.
    RgbImage settledFrame();
    // Errors since `before` (the demo's count) plus any the error flag still holds.
    int errorsSince(int before);
    // A failed cheap link puts the demo's own shaders back.
    bool relink(bool toCheap);
    // A relink and an unmeasured still frame, as the driver compiles relinked code on first use.
    bool swap(bool toCheap);
    // A demo or required-work frame of `step` seconds with its passes timed, or a floor frame.
    void measureFrame(FrameKind kind, int block, int inBlock, std::vector<FrameSample>& samples, PassTimer& timer);

    Demo& demo;
    BenchOptions options;
    std::vector<CheapProgram> cheapPrograms;
    bool cheap = false;
    GLuint floorProgram = 0, floorVertexArray = 0, floorTexture = 0;
};

}  // namespace Quessel::Bench
