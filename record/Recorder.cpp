#include "record/Recorder.h"

#include "core/GlConstants.h"
#include "core/RgbImage.h"
#include "core/ToolReport.h"
#include "record/ProgressLine.h"
#include "record/StillsFolder.h"
#include "record/VideoEncoder.h"

#include <algorithm>
#include <cmath>

namespace Quessel::Record {

Recorder::Recorder(Demo& demo, double fps) : driver(demo), step(1.0 / fps) {}

Recorder::Outcome Recorder::presentFrame() {
    const bool ended = driver.present();
    if (ToolReport::stopSignal()) return Outcome::Interrupted;
    return ended ? Outcome::Escaped : Outcome::Done;
}

Recorder::Outcome Recorder::seek(double start, ProgressLine& progress) {
    // A second of demo time at a time, for the progress line: the frames are the same as
    // those of one call up to the start.
    for (double until = 0.0; until < start;) {
        until = std::min(until + 1.0, start);
        if (!driver.runUntil(until, step)) return Outcome::Interrupted;
        progress.update(std::lround(driver.clock / step));
    }
    return Outcome::Done;
}

Recorder::Outcome Recorder::record(int frames, VideoEncoder& encoder, StillsFolder* stills, ProgressLine& progress) {
    const long first = std::lround(driver.clock / step);
    for (framesDone = 0; framesDone < frames;) {
        if (ToolReport::stopSignal()) return Outcome::Interrupted;
        driver.frame(step);
        const RgbImage image = RgbImage::readWindow(ScreenWidth, ScreenHeight);
        if (!encoder.write(image)) return ToolReport::stopSignal() ? Outcome::Interrupted : Outcome::EncoderStopped;
        if (stills && !stills->save(image, first + framesDone, error)) return Outcome::StillNotSaved;
        progress.update(++framesDone);
        const Outcome outcome = presentFrame();
        if (outcome != Outcome::Done) return outcome;
    }
    return Outcome::Done;
}

}  // namespace Quessel::Record
