#pragma once
#include "record/EncoderProcess.h"

#include <string>
#include <vector>

namespace Quessel {
struct RgbImage;
}

namespace Quessel::Record {

// The MP4 of a recording: ffmpeg fed the window's raw frames through a pipe, H.264 in
// yuv420p with the index at the front (+faststart), so browsers and players take it. The
// frames are converted with BT.709's matrix into the limited range x264 writes, and tagged
// so (primaries, transfer, matrix, range): untagged video is shown by players with BT.601's.
class VideoEncoder {
public:
    // The ffmpeg command for frames of width x height RGB bytes, rows bottom-up as OpenGL
    // reads them, at `fps`, into `path`.
    static std::vector<std::string> command(int width, int height, double fps, const std::string& path);

    bool start(int width, int height, double fps, const std::string& path, std::string& error);
    // One frame; false when the encoder stopped taking frames.
    bool write(const RgbImage& frame);
    // Ends the stream and waits for the file to be finished: the encoder's exit status.
    int finish();

    EncoderProcess process;
};

}  // namespace Quessel::Record
