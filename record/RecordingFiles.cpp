#include "record/RecordingFiles.h"

#include "core/RgbImage.h"
#include "record/EncoderProcess.h"
#include "record/RecordOptions.h"

#include <fmt/format.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace Quessel::Record {

namespace fs = std::filesystem;

namespace {

const RecordingFiles::PreviewSize PreviewSizes[] = {
    {640, 384, 10.0, 55}, {640, 384, 10.0, 40}, {640, 384, 8.0, 35}, {480, 288, 8.0, 35}, {320, 192, 6.0, 30},
};

bool run(const std::vector<std::string>& command, const std::string& doing, std::string& error) {
    EncoderProcess process;
    if (!process.start(command, error)) return false;
    const int status = process.finish();
    if (status == -1) error = "stopped while " + doing;
    if (status > 0)
        error = fmt::format("{} failed {} (exit status {}): {}", command[0], doing, status, process.problem());
    return status == 0;
}
}  // namespace

RecordingFiles::RecordingFiles(const RecordOptions& options)
    : video(options.out),
      preview(options.previewPath()),
      stills(options.stills),
      videoPart(video + ".part"),
      previewPart(preview + ".part") {}

RecordingFiles::~RecordingFiles() {
    if (committed) return;
    std::error_code ignored;
    for (const std::string& file : written) fs::remove(file, ignored);
    for (const std::string& still : stillTargets) fs::remove(still + ".part", ignored);
    // Only when empty: an earlier file in it stays, and so does the folder.
    if (madeStills) fs::remove(stills, ignored);
}

bool RecordingFiles::create(std::string& error) {
    for (const auto& [target, part] : {std::pair{&video, &videoPart}, {&preview, &previewPart}}) {
        std::error_code ignored;
        const bool folder = fs::is_directory(*target, ignored);
        if (folder || !std::ofstream(*part)) {
            error = "cannot write " + *target + ": " + (folder ? "it is a folder" : std::strerror(errno));
            return false;
        }
        written.push_back(*part);
    }
    if (stills.empty()) return true;
    std::error_code failure;
    madeStills = fs::create_directories(stills, failure);
    if (!failure && access(stills.c_str(), W_OK | X_OK) != 0) failure = std::error_code(errno, std::generic_category());
    if (failure) error = fmt::format("cannot write stills into {}: {}", stills, failure.message());
    return !failure;
}

bool RecordingFiles::saveStill(const RgbImage& frame, long number, std::string& error) {
    const std::string file = fmt::format("{}/frame-{:05d}.png", stills, number);
    // Under a temporary name until commit: an earlier still of the same name stays until then.
    stillTargets.push_back(file);
    if (frame.savePng(file + ".part")) return true;
    const int reason = errno;
    error = fmt::format("cannot write the still {}", file);
    if (reason == ENOSPC)
        error += ": the disk is full (no space left on device)";
    else if (reason != 0)
        error += fmt::format(": {}", std::strerror(reason));
    return false;
}

bool RecordingFiles::commit(std::string& error) {
    const auto move = [&error](const std::string& part, const std::string& target) {
        if (std::rename(part.c_str(), target.c_str()) == 0) return true;
        error = "cannot move " + part + " to " + target + ": " + std::strerror(errno);
        return false;
    };
    // The stills first: the video and preview in place say that the run is complete.
    for (const std::string& still : stillTargets)
        if (!move(still + ".part", still)) return false;
    if (!move(videoPart, video) || !move(previewPart, preview)) return false;
    committed = true;
    return true;
}

bool RecordingFiles::tryPreview(const PreviewSize& attempt, const std::string& folder, std::string& error) {
    std::error_code failure;
    fs::remove_all(folder, failure);
    if (!failure) fs::create_directory(folder, failure);
    if (failure) {
        error = "cannot make " + folder + ": " + failure.message();
        return false;
    }
    const std::string filter =
        fmt::format("fps={:g},scale={}:{}:flags=lanczos", attempt.fps, attempt.width, attempt.height);
    if (!run({"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-i", videoPart, "-vf", filter, "-f",
              "image2", folder + "/%05d.png"},
             "taking the frames out", error))
        return false;
    // A video shorter than one of the preview's frames gives none at its rate: its first.
    if (fs::is_empty(folder, failure) &&
        !run({"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-i", videoPart, "-vf",
              fmt::format("scale={}:{}:flags=lanczos", attempt.width, attempt.height), "-frames:v", "1", "-f", "image2",
              folder + "/%05d.png"},
             "taking the frame out", error))
        return false;
    std::istringstream options(fmt::format("-loop 0 -kmin {} -kmax {} -lossy -q {} -m 4 -d {}", KeyFrameInterval - 1,
                                           KeyFrameInterval, attempt.quality, std::lround(1000.0 / attempt.fps)));
    std::vector<std::string> command = {"img2webp"};
    command.insert(command.end(), std::istream_iterator<std::string>(options), {});
    std::set<std::string> frames;
    for (const auto& entry : fs::directory_iterator(folder)) frames.insert(entry.path());
    command.insert(command.end(), frames.begin(), frames.end());
    command.insert(command.end(), {"-o", previewPart});
    if (run(command, "making the preview", error)) return true;
    // img2webp does not say why a write failed; a folder without a free block does.
    if (fs::space(fs::absolute(previewPart).parent_path(), failure).available == 0)
        error = "the disk is full (no space left on device) for " + previewPart;
    return false;
}

bool RecordingFiles::makePreview(double videoFps, std::string& error) {
    const std::string folder = previewPart + "-frames";
    for (PreviewSize attempt : PreviewSizes) {
        // A slow video is not sped up.
        attempt.fps = std::min(attempt.fps, videoFps);
        const bool made = tryPreview(attempt, folder, error);
        // The frames' folder goes whatever happened.
        std::error_code ignored;
        fs::remove_all(folder, ignored);
        if (!made) return false;
        previewSize = attempt;
        if (fs::file_size(previewPart, ignored) <= MaxPreviewBytes) return true;
    }
    error = fmt::format("the preview stays above {} MB even at {} x {}", MaxPreviewBytes / 1000000, previewSize.width,
                        previewSize.height);
    return false;
}

}  // namespace Quessel::Record
