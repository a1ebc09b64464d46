// quessel-record: the demo's own start-up, set-up and frames, rendered at a fixed time
// step in the real window and encoded into an MP4 and an animated preview.
#include "app/Demo.h"
#include "app/FrameDriver.h"
#include "app/Startup.h"
#include "core/GlConstants.h"
#include "core/ToolReport.h"
#include "record/EncoderProcess.h"
#include "record/OutputFile.h"
#include "record/PreviewMaker.h"
#include "record/ProgressLine.h"
#include "record/RecordOptions.h"
#include "record/Recorder.h"
#include "record/StillsFolder.h"
#include "record/VideoEncoder.h"

#include <GLFW/glfw3.h>
#include <fmt/format.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
using namespace Quessel;
using namespace Quessel::Record;

const ToolReport report("quessel-record");

std::string megabytes(long long bytes) { return fmt::format("{:.1f} MB", static_cast<double>(bytes) / 1e6); }

// Whether every output can be written, tried before the long set-up. They are made again
// once the frames start: set-up may end the process without cleaning up.
bool outputsWritable(const RecordOptions& options, std::string& error) {
    OutputFile video(options.out);
    OutputFile preview(options.previewPath());
    StillsFolder stills(options.stills);
    return video.create(error) && preview.create(error) && (options.stills.empty() || stills.create(error));
}

// The frames wanted: the seconds asked for, else until the camera path is back at its first row.
int frameCount(const RecordOptions& options) {
    if (options.seconds > 0.0) return std::max(1, static_cast<int>(std::lround(options.seconds * options.fps)));
    return FrameDriver::framesToLapEnd(options.start, 1.0 / options.fps);
}

GLFWwindow* startUp() {
    initGlfw();
    GLFWwindow* window = openWindow();
    initGlew(window);
    setInitialGlState();
    return window;
}

int encoderStopped(Recorder& recorder, VideoEncoder& encoder) {
    const int written = encoder.process.writeError;
    encoder.finish();
    return report.fail(fmt::format("the encoder stopped taking frames after frame {} ({}): {}", recorder.framesDone,
                                   written == EPIPE ? "broken pipe" : std::strerror(written),
                                   encoder.process.problem()));
}

// The unrecorded frames, then the recorded ones into the MP4 (under its temporary name)
// and the stills. 0 when the MP4 is whole.
int recordVideo(Demo& demo, const RecordOptions& options, int frames, OutputFile& video, StillsFolder* stills) {
    Recorder recorder(demo, options.fps);
    if (options.start > 0.0) {
        const long before = FrameDriver::framesBy(options.start, recorder.step);
        report.say(fmt::format("{} unrecorded frames first, up to t = {:.2f} s", before, options.start));
        ProgressLine progress(stderr, "unrecorded frame", before);
        const Recorder::Outcome outcome = recorder.seek(options.start, progress);
        progress.finish(std::lround(recorder.driver.clock / recorder.step));
        if (outcome == Recorder::Outcome::Interrupted) return report.interrupted("recording");
    }
    std::string error;
    VideoEncoder encoder;
    if (!video.create(error) || (stills && !stills->create(error)) ||
        !encoder.start(ScreenWidth, ScreenHeight, options.fps, video.temporary, error))
        return report.fail(error);
    ProgressLine progress(stderr, "frame", frames);
    const Recorder::Outcome outcome = recorder.record(frames, encoder, stills, progress);
    progress.finish(recorder.framesDone);
    switch (outcome) {
    case Recorder::Outcome::Interrupted: return report.interrupted("recording");
    case Recorder::Outcome::Escaped:
        return report.fail("stopped by Escape (or the window was closed); no video was written");
    case Recorder::Outcome::EncoderStopped: return encoderStopped(recorder, encoder);
    case Recorder::Outcome::StillNotSaved: return report.fail(recorder.error);
    case Recorder::Outcome::Done: break;
    }
    const int status = encoder.finish();
    if (status == -1) return report.interrupted("recording");
    if (status != 0)
        return report.fail(fmt::format("ffmpeg could not finish {} (exit status {}): {}", video.target, status,
                                       encoder.process.problem()));
    return 0;
}

// Start-up, set-up and the video; 0 when the MP4 is whole.
int renderVideo(const RecordOptions& options, int frames, OutputFile& video, StillsFolder* stills) {
    GLFWwindow* window = startUp();
    int width = 0;
    int height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    if (width != ScreenWidth || height != ScreenHeight)
        return report.fail(fmt::format(
            "the window is {} x {}, not 1280 x 768: record on a display of that size (scripts/record starts one)",
            width, height));
    Demo demo(window);
    if (!demo.setup()) return report.fail("set-up failed (see the messages above)");
    if (ToolReport::stopSignal()) return report.interrupted("recording");
    report.say(fmt::format("{} frames, {:.2f} s of the demo from t = {:.2f} s at {:g} fps, into {}", frames,
                           frames / options.fps, options.start, options.fps, options.out));
    return recordVideo(demo, options, frames, video, stills);
}
}  // namespace

int main(int argc, char** argv) {
    RecordOptions options;
    std::string error;
    if (!RecordOptions::parse(argc, argv, options, error)) return report.badOptions(error);
    if (options.help) {
        std::fputs(RecordOptions::usage(), stdout);
        return 0;
    }
    ToolReport::catchStopSignals();

    if (EncoderProcess::find("ffmpeg").empty())
        return report.fail(
            "no encoder: the ffmpeg program is not installed (not found on PATH); install Debian's ffmpeg package");
    if (EncoderProcess::find("img2webp").empty())
        return report.fail(
            "no encoder for the preview: the img2webp program is not installed (not found on PATH); "
            "install Debian's webp package");
    const int frames = frameCount(options);
    if (frames < 1) return report.fail("no frames to record: the camera path does not return to its first row");
    if (!outputsWritable(options, error)) return report.fail(error);

    OutputFile video(options.out);
    StillsFolder stills(options.stills);
    const int recorded = renderVideo(options, frames, video, options.stills.empty() ? nullptr : &stills);
    glfwTerminate();
    if (recorded != 0) return recorded;

    OutputFile preview(options.previewPath());
    report.say("making the preview " + preview.target);
    PreviewMaker maker;
    if (!preview.create(error) || !maker.make(video.temporary, preview.temporary, options.fps, error))
        return ToolReport::stopSignal() ? report.interrupted("making the preview") : report.fail(error);
    if (!video.commit(error) || !preview.commit(error)) return report.fail(error);
    stills.keep();
    report.say(fmt::format("wrote {} ({} frames, {} x {}, {:.2f} s at {:g} fps, {}) and {} ({} x {}, {:g} fps, {})",
                           video.target, frames, ScreenWidth, ScreenHeight, frames / options.fps, options.fps,
                           megabytes(video.size()), preview.target, maker.used.width, maker.used.height, maker.used.fps,
                           megabytes(preview.size())));
    return 0;
}
