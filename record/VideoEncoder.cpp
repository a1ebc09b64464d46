#include "record/VideoEncoder.h"

#include <cstdio>

namespace Quessel::Record {

namespace {
std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}
}  // namespace

std::vector<std::string> VideoEncoder::command(int width, int height, double fps, const std::string& path) {
    return {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo", "-pixel_format", "rgb24",
            "-video_size", std::to_string(width) + "x" + std::to_string(height), "-framerate", number(fps), "-i",
            "pipe:0",
            // OpenGL's rows run bottom-up.
            "-vf", "vflip", "-c:v", "libx264", "-preset", "medium", "-crf", "20", "-pix_fmt", "yuv420p", "-movflags",
            "+faststart", "-f", "mp4", path};
}

VideoEncoder::VideoEncoder(int width, int height, const volatile std::sig_atomic_t& stop)
    : width(width), height(height), process(stop) {}

bool VideoEncoder::start(double fps, const std::string& path, std::string& error) {
    return process.start(command(width, height, fps, path), true, error);
}

bool VideoEncoder::write(const std::vector<unsigned char>& frame) { return process.write(frame.data(), frame.size()); }

int VideoEncoder::finish() { return process.finish(); }

}  // namespace Quessel::Record
