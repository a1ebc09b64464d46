#include "paths/LapLength.h"
#include "record/Recorder.h"

#include "core/GlConstants.h"
#include "core/RgbImage.h"
#include "core/ToolReport.h"
#include "record/ProgressLine.h"
#include "record/RecordOptions.h"
#include "record/RecordingFiles.h"

#include <fmt/format.h>

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace Quessel::Record {

namespace {
// Seconds between two progress updates: of a terminal line, of plain lines.
constexpr double TerminalInterval = 0.25;
constexpr double PlainInterval = 5.0;
}  // namespace

Recorder::Recorder(Demo& demo, const RecordOptions& options, const ToolReport& report)
    : driver(demo), options(options), report(report), step(1.0 / options.fps), terminal(isatty(STDERR_FILENO) != 0) {}

void Recorder::startProgress(const char* what, long frames) {
    counted = what;
    total = frames;
    begun = shown = Clock::now();
}

void Recorder::progress(long done, bool last) {
    const Clock::time_point now = Clock::now();
    // The first frame is shown at once: it tells that recording has begun.
    if (!last && done != 1 && done != total &&
        std::chrono::duration<double>(now - shown).count() < (terminal ? TerminalInterval : PlainInterval))
        return;
    // A log has the final count already: it was written at once.
    if (last && done == total && !terminal) return;
    shown = now;
    const double elapsed = std::chrono::duration<double>(now - begun).count();
    const double rate = elapsed > 0.0 ? done / elapsed : 0.0;
    std::fputs(ProgressLine{counted, done, total, rate, terminal, last}.text().c_str(), stderr);
}

int Recorder::seek() {
    if (options.start <= 0.0) return 0;
    const long before = LapLength::framesBy(options.start, step);
    report.say(fmt::format("{} unrecorded frames first, up to t = {:.2f} s", before, options.start));
    startProgress("unrecorded frame", before);
    // A second of demo time at a time, for the progress line: the frames are the same as
    // those of one call up to the start.
    for (double until = 0.0; until < options.start;) {
        until = std::min(until + 1.0, options.start);
        if (!driver.runUntil(until, step, [] { return ToolReport::stopSignal() != 0; })) break;
        progress(std::lround(driver.clock() / step));
    }
    progress(std::lround(driver.clock() / step), true);
    return ToolReport::stopSignal() ? report.interrupted("recording") : 0;
}

int Recorder::record(long frames, RecordingFiles& files) {
    std::string error;
    // The window's RGB bytes at the recording's rate into the video's temporary file.
    if (!encoder.start(
            {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo", "-pixel_format", "rgb24",
             "-video_size", fmt::format("{}x{}", ScreenWidth, ScreenHeight), "-framerate",
             fmt::format("{:.9g}", options.fps), "-i", "pipe:0",
             // OpenGL's rows run bottom-up; without the matrix named, the scaler converts with BT.601's.
             "-vf", "vflip,scale=out_color_matrix=bt709:out_range=tv", "-c:v", "libx264", "-preset", "medium", "-crf",
             "20", "-pix_fmt", "yuv420p", "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709",
             "-color_range", "tv", "-movflags", "+faststart", "-f", "mp4", files.videoPart},
            error))
        return report.fail(error);
    const long first = std::lround(driver.clock() / step);
    startProgress("frame", frames);
    long done = 0;
    bool fed = true;
    bool escaped = false;
    while (done < frames && !escaped && !ToolReport::stopSignal()) {
        driver.frame(step);
        const RgbImage image = RgbImage::readWindow(ScreenWidth, ScreenHeight);
        fed = encoder.write(image.pixels.data(), image.pixels.size());
        if (!fed || (!files.stills.empty() && !files.saveStill(image, first + done, error))) break;
        progress(++done);
        // The present's end test: Escape or a closed window.
        escaped = driver.present();
    }
    progress(done, true);
    if (ToolReport::stopSignal()) return report.interrupted("recording");
    if (escaped) return report.fail("stopped by Escape (or the window was closed); no video was written");
    if (!error.empty()) return report.fail(error);
    if (!fed) {
        encoder.finish();
        return report.fail(fmt::format("the encoder stopped taking frames after frame {} ({}): {}", done,
                                       encoder.writeError == EPIPE ? "broken pipe" : std::strerror(encoder.writeError),
                                       encoder.problem()));
    }
    const int status = encoder.finish();
    if (status == -1) return report.interrupted("recording");
    if (status == 0) return 0;
    return report.fail(
        fmt::format("ffmpeg could not finish {} (exit status {}): {}", files.video, status, encoder.problem()));
}

}  // namespace Quessel::Record
