#pragma once
#include "harness/FrameDriver.h"
#include "record/EncoderProcess.h"

#include <chrono>

namespace Quessel {
class Demo;
class ToolReport;
}  // namespace Quessel

namespace Quessel::Record {

class RecordingFiles;
struct RecordOptions;

// Steps the demo, already set up, with the frame driver at 1/fps: the frames a recording
// from t = 0 runs before the start, unrecorded, then every recorded frame read back from
// the window after the composite and before the swap (reading the window resolves its
// samples), piped to ffmpeg and saved as a still. The MP4 is H.264 in yuv420p with the index
// at the front (+faststart), so browsers and players take it; its frames are converted with
// BT.709's matrix into the limited range x264 writes, and tagged so (primaries, transfer,
// matrix, range): untagged video is shown by players with BT.601's.
//
// Progress is one status line on standard error: frames done of the total, frames per
// second and the time left, rewritten in place on a terminal and otherwise written now and
// then, so a log stays short.
class Recorder {
public:
    Recorder(Demo& demo, const RecordOptions& options, const ToolReport& report);

    // The unrecorded frames up to the start: 0, or the status after Ctrl-C.
    int seek();
    // `frames` frames into the video (under its temporary name) and the stills: 0 when the
    // video is whole, else the exit status after saying why not.
    int record(long frames, RecordingFiles& files);

private:
    using Clock = std::chrono::steady_clock;

    void startProgress(const char* what, long total);
    // `last`: shows the final count and ends the line.
    void progress(long done, bool last = false);

    FrameDriver driver;
    EncoderProcess encoder;
    const RecordOptions& options;
    const ToolReport& report;
    const double step;
    const bool terminal;
    const char* counted = "";
    long total = 0;
    Clock::time_point begun, shown;
};

}  // namespace Quessel::Record
