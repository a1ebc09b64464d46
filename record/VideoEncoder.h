#pragma once
#include "record/EncoderProcess.h"

#include <string>
#include <vector>

namespace Quessel::Record {

// The MP4 of a recording: ffmpeg fed the window's raw frames through a pipe, H.264 in
// yuv420p with the index at the front (+faststart), so browsers and players take it.
class VideoEncoder {
public:
    // The ffmpeg command for frames of width x height RGB bytes, rows bottom-up as OpenGL
    // reads them, at `fps`, into `path`.
    static std::vector<std::string> command(int width, int height, double fps, const std::string& path);

    VideoEncoder(int width, int height, const volatile std::sig_atomic_t& stop);

    bool start(double fps, const std::string& path, std::string& error);
    // One frame of width x height x 3 bytes; false when the encoder stopped taking frames.
    bool write(const std::vector<unsigned char>& frame);
    // Ends the stream and waits for the file to be finished: the encoder's exit status.
    int finish();

    const int width;
    const int height;
    EncoderProcess process;
};

}  // namespace Quessel::Record
