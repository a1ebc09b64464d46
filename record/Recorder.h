#pragma once
#include "app/FrameDriver.h"

#include <string>

namespace Quessel {
class Demo;
}

namespace Quessel::Record {

class ProgressLine;
class StillsFolder;
class VideoEncoder;

// Steps the demo, already set up, with the frame driver at 1/fps: the frames a recording
// from t = 0 runs before the start, unrecorded, then every recorded frame read back from
// the window after the composite and before the swap (reading the window resolves its
// samples) and handed to the encoder and the stills.
class Recorder {
public:
    enum class Outcome { Done, Interrupted, Escaped, EncoderStopped, StillNotSaved };

    Recorder(Demo& demo, double fps);

    Outcome seek(double start, ProgressLine& progress);
    Outcome record(int frames, VideoEncoder& encoder, StillsFolder* stills, ProgressLine& progress);

    FrameDriver driver;
    const double step;
    int framesDone = 0;
    // Why a still could not be saved.
    std::string error;

private:
    // The present's end test (Escape, a closed window) or Ctrl-C, as an outcome.
    Outcome presentFrame();
};

}  // namespace Quessel::Record
