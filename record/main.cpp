// quessel-record: the demo's own start-up, set-up and frames, rendered at a fixed time
// step in the real window and encoded into an MP4 and an animated preview.
#include "app/Demo.h"
#include "app/Startup.h"
#include "core/GlConstants.h"
#include "record/EncoderProcess.h"
#include "record/OutputFile.h"
#include "record/PreviewMaker.h"
#include "record/ProgressLine.h"
#include "record/RecordOptions.h"
#include "record/Recorder.h"
#include "record/RecordingPlan.h"
#include "record/VideoEncoder.h"

#include <GLFW/glfw3.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
using namespace Quessel;
using namespace Quessel::Record;

// The signal that asked the recording to stop (Ctrl-C: SIGINT), 0 while none did.
volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int signal) { stopSignal = signal; }

void installSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a write to the encoder or a wait for it returns and sees the flag.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A vanished encoder shows as EPIPE on the write, which names the problem.
    std::signal(SIGPIPE, SIG_IGN);
}

void say(const std::string& message) { std::fprintf(stderr, "quessel-record: %s\n", message.c_str()); }

int fail(const std::string& message) {
    say(message);
    return 1;
}

int interrupted() {
    say(std::string("interrupted by ") + (stopSignal == SIGINT ? "Ctrl-C (SIGINT)" : strsignal(stopSignal)) +
        "; no video was written");
    return 128 + stopSignal;
}

std::string megabytes(long long bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

// Whether both outputs can be written, tried before the long set-up. The files are made
// again once the frames start: set-up may end the process without cleaning up.
bool outputsWritable(const RecordOptions& options, std::string& error) {
    OutputFile video(options.out);
    OutputFile preview(options.previewPath());
    return video.create(error) && preview.create(error);
}

int parseOptions(int argc, char** argv, RecordOptions& options) {
    std::string error;
    if (!RecordOptions::parse(argc, argv, options, error)) {
        std::fprintf(stderr, "quessel-record: %s\nTry 'quessel-record --help' for the options.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(RecordOptions::usage(), stdout);
        return 0;
    }
    return -1;
}

GLFWwindow* startUp() {
    initGlfw();
    GLFWwindow* window = openWindow();
    initGlew(window);
    setInitialGlState();
    return window;
}

// The frames into the MP4. 0 when they are all in and the file is finished.
int recordVideo(Demo& demo, const RecordingPlan& plan, OutputFile& video) {
    Recorder recorder(demo, plan, stopSignal);
    Recorder::Outcome outcome = recorder.fastForward();
    std::string error;
    VideoEncoder encoder(ScreenWidth, ScreenHeight, stopSignal);
    if (outcome == Recorder::Outcome::Done) {
        if (!video.create(error) || !encoder.start(1.0 / plan.frameStep, video.temporary, error)) return fail(error);
        ProgressLine progress(stderr, plan.frames);
        outcome = recorder.record(encoder, progress);
        progress.finish(recorder.framesDone);
    }
    switch (outcome) {
    case Recorder::Outcome::Interrupted: return interrupted();
    case Recorder::Outcome::Escaped: return fail("stopped by Escape (or the window was closed); no video was written");
    case Recorder::Outcome::EncoderStopped: {
        const int written = encoder.process.writeError;
        encoder.finish();
        return fail("the encoder stopped taking frames after frame " + std::to_string(recorder.framesDone) + " (" +
                    (written == EPIPE ? "broken pipe" : std::strerror(written)) + "): " + encoder.process.problem());
    }
    case Recorder::Outcome::Done: break;
    }
    const int status = encoder.finish();
    if (status == -1) return interrupted();
    if (status != 0)
        return fail("ffmpeg could not finish " + video.target + " (exit status " + std::to_string(status) +
                    "): " + encoder.process.problem());
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    RecordOptions options;
    const int parsed = parseOptions(argc, argv, options);
    if (parsed >= 0) return parsed;
    installSignalHandlers();

    if (EncoderProcess::find("ffmpeg").empty())
        return fail(
            "no encoder: the ffmpeg program is not installed (not found on PATH); "
            "install Debian's ffmpeg package");
    if (EncoderProcess::find("img2webp").empty())
        return fail(
            "no encoder for the preview: the img2webp program is not installed (not found on PATH); "
            "install Debian's webp package");
    const RecordingPlan plan = RecordingPlan::make(options);
    if (plan.frames < 1) return fail("no frames to record: the camera path does not reach the start or its first row");
    std::string error;
    if (!outputsWritable(options, error)) return fail(error);

    GLFWwindow* window = startUp();
    int width = 0;
    int height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    if (width != ScreenWidth || height != ScreenHeight) {
        glfwTerminate();
        return fail("the window is " + std::to_string(width) + " x " + std::to_string(height) +
                    ", not 1280 x 768: record on a display of that size (scripts/record starts one)");
    }
    Demo demo(window);
    if (!demo.setup()) {
        glfwTerminate();
        return fail("set-up failed (see the messages above)");
    }
    if (stopSignal) return interrupted();

    std::fprintf(stderr, "quessel-record: %d frames, %.2f s of the demo from t = %.2f s at %g fps, into %s\n",
                 plan.frames, plan.seconds(), options.start, options.fps, options.out.c_str());
    if (!plan.fastForward.empty())
        std::fprintf(stderr, "quessel-record: %zu unrecorded frames first, up to t = %.2f s\n", plan.fastForward.size(),
                     options.start);
    OutputFile video(options.out);
    const int recorded = recordVideo(demo, plan, video);
    glfwTerminate();
    if (recorded != 0) return recorded;

    OutputFile preview(options.previewPath());
    say("making the preview " + preview.target);
    PreviewMaker maker(stopSignal);
    if (!preview.create(error) || !maker.make(video.temporary, preview.temporary, options.fps, error))
        return stopSignal ? interrupted() : fail(error);
    if (!video.commit(error) || !preview.commit(error)) return fail(error);
    char summary[512];
    std::snprintf(summary, sizeof summary,
                  "wrote %s (%d frames, %d x %d, %.2f s at %g fps, %s) and %s (%d x %d, %g fps, %s)",
                  video.target.c_str(), plan.frames, ScreenWidth, ScreenHeight, plan.seconds(), options.fps,
                  megabytes(video.size()).c_str(), preview.target.c_str(), maker.used.width, maker.used.height,
                  maker.used.fps, megabytes(preview.size()).c_str());
    say(summary);
    return 0;
}
