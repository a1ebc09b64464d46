// quessel-record: the demo's own start-up, set-up and frames, rendered at a fixed time
// step in the real window and encoded into an MP4 and an animated preview.
#include "paths/LapLength.h"
#include "harness/DemoHost.h"
#include "harness/FrameDriver.h"
#include "core/GlConstants.h"
#include "core/ToolReport.h"
#include "record/EncoderProcess.h"
#include "record/RecordOptions.h"
#include "record/Recorder.h"
#include "record/RecordingFiles.h"

#include <GLFW/glfw3.h>
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {
using namespace Quessel;
using namespace Quessel::Record;

const ToolReport report("quessel-record");

// Frames of one lap of `path` from the start: 0 or less with the exit status negated.
long framesOfLap(const RecordOptions& options, const CameraPath::Script& path) {
    const auto tooLong = [&options](double seconds) {
        return -report.badOptions(
            fmt::format("one lap of the camera path is {:.1f} s, longer than the {:g} s a "
                        "recording may be: choose --seconds (and --start)",
                        seconds, RecordOptions::MaxSeconds));
    };
    // Counting a lap frame by frame takes a while when it is very long: told by its rows first.
    if (path.seconds() > RecordOptions::MaxSeconds) return tooLong(path.seconds());
    const long frames = LapLength::framesToLapEnd(options.start, 1.0 / options.fps, path,
                                                    [] { return ToolReport::stopSignal() != 0; });
    if (ToolReport::stopSignal()) return -report.interrupted("counting the frames of a lap");
    if (frames < 1) return -report.fail("no frames to record: the camera path does not return to its first row");
    if (frames / options.fps > RecordOptions::MaxSeconds) return tooLong(frames / options.fps);
    return frames;
}

// Start-up, set-up and the video; 0 when the MP4 is whole. `frames` is set to those
// recorded: those asked for, or one lap of the camera's path.
int renderVideo(const RecordOptions& options, long& frames, RecordingFiles& files) {
    int status = 0;
    const std::unique_ptr<DemoHost> host = DemoHost::openForTool(
        report, DemoScene::forTool(options.scene, options.mirrors, options.glass, options.look), options.path, status);
    if (!host) return status;
    Demo& demo = host->demo();
    // The seconds asked for, else until the camera path is back at its first row.
    frames = options.seconds > 0.0 ? std::max(1L, std::lround(options.seconds * options.fps))
                                   : framesOfLap(options, demo.view().path().script());
    if (frames < 1) return static_cast<int>(-frames);
    int width = 0, height = 0;
    glfwGetFramebufferSize(demo.view().window(), &width, &height);
    if (width != ScreenWidth || height != ScreenHeight)
        return report.fail(fmt::format(
            "the window is {} x {}, not 1280 x 768: record on a display of that size (scripts/record starts one)",
            width, height));
    if (ToolReport::stopSignal()) return report.interrupted("recording");
    report.say(fmt::format("{} frames, {:.2f} s of the demo from t = {:.2f} s at {:g} fps, into {}", frames,
                           frames / options.fps, options.start, options.fps, options.out));
    Recorder recorder(demo, options, report);
    if ((status = recorder.seek()) != 0) return status;
    std::string error;
    if (!files.create(error)) return report.fail(error);
    return recorder.record(frames, files);
}
}  // namespace

int main(int argc, char** argv) {
    RecordOptions options;
    std::string error;
    if (!RecordOptions::parse(argc, argv, options, error)) return report.badOptions(error);
    if (options.help) {
        std::fputs(RecordOptions::usage().c_str(), stdout);
        return 0;
    }
    ToolReport::catchStopSignals();
    for (const auto& [program, use, package] :
         {std::array{"ffmpeg", "", "ffmpeg"}, {"img2webp", " for the preview", "webp"}})
        if (EncoderProcess::find(program).empty())
            return report.fail(fmt::format(
                "no encoder{}: the {} program is not installed (not found on PATH); install Debian's {} package", use,
                program, package));
    // Every output is tried before the long set-up, and made again once the frames start:
    // set-up may end the process without cleaning up.
    if (!RecordingFiles(options).create(error)) return report.fail(error);

    RecordingFiles files(options);
    long frames = 0;
    const int recorded = renderVideo(options, frames, files);
    if (recorded != 0) return recorded;

    report.say("making the preview " + files.preview);
    if (!files.makePreview(options.fps, error))
        return ToolReport::stopSignal() ? report.interrupted("making the preview") : report.fail(error);
    if (!files.commit(error)) return report.fail(error);
    const auto megabytes = [](const std::string& file) { return std::filesystem::file_size(file) / 1e6; };
    report.say(fmt::format(
        "wrote {} ({} frames, {} x {}, {:.2f} s at {:g} fps, {:.1f} MB) and {} ({} x {}, {:g} fps, {:.1f} MB)",
        files.video, frames, ScreenWidth, ScreenHeight, frames / options.fps, options.fps, megabytes(files.video),
        files.preview, files.previewSize.width, files.previewSize.height, files.previewSize.fps,
        megabytes(files.preview)));
    return 0;
}
