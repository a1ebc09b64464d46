#pragma once
#include "app/FrameDriver.h"
#include "record/RecordingPlan.h"

#include <csignal>
#include <vector>

namespace Quessel {
class Demo;
}

namespace Quessel::Record {

class ProgressLine;
class VideoEncoder;

// Steps the demo, already set up, through a recording plan with the frame driver: the
// unrecorded frames up to the start, then every recorded frame read back from the window
// after the composite and before the swap (reading the window resolves its samples) and
// handed to the encoder.
class Recorder {
public:
    enum class Outcome { Done, Interrupted, Escaped, EncoderStopped };

    Recorder(Demo& demo, const RecordingPlan& plan, const volatile std::sig_atomic_t& stop);

    Outcome fastForward();
    Outcome record(VideoEncoder& encoder, ProgressLine& progress);

    FrameDriver driver;
    int framesDone = 0;

private:
    // The present's end test (Escape, a closed window) or the stop flag, as an outcome.
    Outcome presentFrame();
    void readWindow();

    const RecordingPlan& plan;
    const volatile std::sig_atomic_t& stop;
    std::vector<unsigned char> pixels;
};

}  // namespace Quessel::Record
