#include "record/VideoEncoder.h"

#include "core/RgbImage.h"

#include <fmt/format.h>

namespace Quessel::Record {

std::vector<std::string> VideoEncoder::command(int width, int height, double fps, const std::string& path) {
    return {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo", "-pixel_format", "rgb24",
            "-video_size", fmt::format("{}x{}", width, height), "-framerate", fmt::format("{:.9g}", fps), "-i",
            "pipe:0",
            // OpenGL's rows run bottom-up; without the matrix named, the scaler converts with BT.601's.
            "-vf", "vflip,scale=out_color_matrix=bt709:out_range=tv", "-c:v", "libx264", "-preset", "medium", "-crf",
            "20", "-pix_fmt", "yuv420p", "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709",
            "-color_range", "tv", "-movflags", "+faststart", "-f", "mp4", path};
}

bool VideoEncoder::start(int width, int height, double fps, const std::string& path, std::string& error) {
    return process.start(command(width, height, fps, path), true, error);
}

bool VideoEncoder::write(const RgbImage& frame) { return process.write(frame.pixels.data(), frame.pixels.size()); }

int VideoEncoder::finish() { return process.finish(); }

}  // namespace Quessel::Record
