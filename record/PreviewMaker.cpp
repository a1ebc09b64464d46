#include "record/PreviewMaker.h"

#include "record/EncoderProcess.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace Quessel {

namespace {
long long fileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}
}  // namespace

const std::vector<PreviewMaker::Attempt>& PreviewMaker::attempts() {
    static const std::vector<Attempt> list = {
        {640, 384, 10.0, 75}, {640, 384, 10.0, 55}, {640, 384, 8.0, 40}, {480, 288, 8.0, 40}, {320, 192, 6.0, 30},
    };
    return list;
}

std::vector<std::string> PreviewMaker::command(const std::string& video, const std::string& path,
                                               const Attempt& attempt) {
    char filter[96];
    std::snprintf(filter, sizeof filter, "fps=%g,scale=%d:%d:flags=lanczos", attempt.fps, attempt.width,
                  attempt.height);
    return {"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-i", video,
            "-vf", filter, "-c:v", "libwebp_anim", "-lossless", "0",
            "-quality", std::to_string(attempt.quality), "-loop", "0", "-f", "webp", path};
}

PreviewMaker::PreviewMaker(const volatile std::sig_atomic_t& stop) : stop(stop) {}

bool PreviewMaker::make(const std::string& video, const std::string& path, double videoFps, std::string& error) {
    for (Attempt attempt : attempts()) {
        // A slow video is not sped up.
        attempt.fps = std::min(attempt.fps, videoFps);
        EncoderProcess process(stop);
        if (!process.start(command(video, path, attempt), false, error)) return false;
        const int status = process.finish();
        if (status == -1) {
            error = "stopped while making the preview";
            return false;
        }
        if (status != 0) {
            error = "ffmpeg could not make the preview (exit status " + std::to_string(status) +
                    "): " + process.problem();
            return false;
        }
        bytes = fileSize(path);
        used = attempt;
        if (bytes >= 0 && bytes <= MaxBytes) return true;
    }
    error = "the preview stays above " + std::to_string(MaxBytes / 1000000) + " MB even at " +
            std::to_string(used.width) + " x " + std::to_string(used.height);
    return false;
}

}  // namespace Quessel
