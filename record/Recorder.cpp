#include "record/Recorder.h"

#include "app/Demo.h"
#include "core/GlConstants.h"
#include "record/ProgressLine.h"
#include "record/VideoEncoder.h"

#include <GL/glew.h>

namespace Quessel::Record {

Recorder::Recorder(Demo& demo, const RecordingPlan& plan, const volatile std::sig_atomic_t& stop)
    : driver(demo), plan(plan), stop(stop), pixels(static_cast<size_t>(ScreenWidth) * ScreenHeight * 3) {}

Recorder::Outcome Recorder::presentFrame() {
    const bool ended = driver.present();
    if (stop) return Outcome::Interrupted;
    return ended ? Outcome::Escaped : Outcome::Done;
}

Recorder::Outcome Recorder::fastForward() {
    for (double dt : plan.fastForward) {
        if (stop) return Outcome::Interrupted;
        driver.frame(dt);
        const Outcome outcome = presentFrame();
        if (outcome != Outcome::Done) return outcome;
    }
    return stop ? Outcome::Interrupted : Outcome::Done;
}

void Recorder::readWindow() {
    // Rows come bottom-up; the encoder flips them. 1280 x 3 bytes keep the default
    // 4-byte row alignment.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, ScreenWidth, ScreenHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

Recorder::Outcome Recorder::record(VideoEncoder& encoder, ProgressLine& progress) {
    for (framesDone = 0; framesDone < plan.frames;) {
        if (stop) return Outcome::Interrupted;
        driver.frame(plan.frameStep);
        readWindow();
        if (!encoder.write(pixels)) return stop ? Outcome::Interrupted : Outcome::EncoderStopped;
        ++framesDone;
        progress.update(framesDone);
        const Outcome outcome = presentFrame();
        if (outcome != Outcome::Done) return outcome;
    }
    return Outcome::Done;
}

}  // namespace Quessel::Record
