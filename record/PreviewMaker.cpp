#include "record/PreviewMaker.h"

#include "record/EncoderProcess.h"
#include "record/RecordingFiles.h"

#include <fmt/format.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

namespace Quessel::Record {

namespace {
namespace fs = std::filesystem;

const PreviewMaker::Attempt Attempts[] = {
    {640, 384, 10.0, 55}, {640, 384, 10.0, 40}, {640, 384, 8.0, 35}, {480, 288, 8.0, 35}, {320, 192, 6.0, 30},
};

// img2webp does not say why a write failed; a folder without a free block does.
bool diskFull(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    struct statvfs info {};
    return statvfs(folder.empty() ? "." : folder.c_str(), &info) == 0 && info.f_bavail == 0;
}

bool run(const std::vector<std::string>& command, const std::string& doing, std::string& error) {
    EncoderProcess process;
    if (!process.start(command, false, error)) return false;
    const int status = process.finish();
    if (status == -1) error = "stopped while " + doing;
    if (status > 0)
        error = fmt::format("{} failed {} (exit status {}): {}", command[0], doing, status, process.problem());
    return status == 0;
}

// The frames' folder goes whatever happens.
struct FrameFolder {
    explicit FrameFolder(std::string path) : path(std::move(path)) {}
    ~FrameFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    const std::string path;
};
}  // namespace

bool PreviewMaker::tryAttempt(const std::string& video, const std::string& path, const Attempt& attempt,
                              std::string& error) {
    FrameFolder folder(path + "-frames");
    std::error_code failure;
    fs::remove_all(folder.path, failure);
    if (!failure) fs::create_directory(folder.path, failure);
    if (failure) {
        error = "cannot make " + folder.path + ": " + failure.message();
        return false;
    }
    const std::string filter =
        fmt::format("fps={:g},scale={}:{}:flags=lanczos", attempt.fps, attempt.width, attempt.height);
    if (!run({"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-i", video, "-vf", filter, "-f",
              "image2", folder.path + "/%05d.png"},
             "taking the frames out", error))
        return false;
    std::vector<std::string> command = {"img2webp",
                                        "-loop",
                                        "0",
                                        "-kmin",
                                        std::to_string(KeyFrameInterval - 1),
                                        "-kmax",
                                        std::to_string(KeyFrameInterval),
                                        "-lossy",
                                        "-q",
                                        std::to_string(attempt.quality),
                                        "-m",
                                        "4",
                                        "-d",
                                        std::to_string(std::lround(1000.0 / attempt.fps))};
    std::vector<std::string> frames;
    for (const auto& entry : fs::directory_iterator(folder.path)) frames.push_back(entry.path().string());
    std::sort(frames.begin(), frames.end());
    command.insert(command.end(), frames.begin(), frames.end());
    command.insert(command.end(), {"-o", path});
    if (run(command, "making the preview", error)) return true;
    if (diskFull(path)) error = "the disk is full (no space left on device) for " + path;
    return false;
}

bool PreviewMaker::make(const std::string& video, const std::string& path, double videoFps, std::string& error) {
    for (Attempt attempt : Attempts) {
        // A slow video is not sped up.
        attempt.fps = std::min(attempt.fps, videoFps);
        if (!tryAttempt(video, path, attempt, error)) return false;
        used = attempt;
        const long long bytes = RecordingFiles::size(path);
        if (bytes >= 0 && bytes <= MaxBytes) return true;
    }
    error = fmt::format("the preview stays above {} MB even at {} x {}", MaxBytes / 1000000, used.width, used.height);
    return false;
}

}  // namespace Quessel::Record
