#include "record/RecordingFiles.h"

#include "core/RgbImage.h"
#include "record/RecordOptions.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace Quessel::Record {

namespace fs = std::filesystem;

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
    if (madeStills) fs::remove(stills, ignored);
}

bool RecordingFiles::create(std::string& error) {
    for (const auto& [target, part] : {std::pair{&video, &videoPart}, {&preview, &previewPart}}) {
        std::error_code ignored;
        if (fs::is_directory(*target, ignored)) {
            error = "cannot write " + *target + ": it is a folder";
            return false;
        }
        const int fd = open(part->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            error = "cannot write " + *target + ": " + std::strerror(errno);
            return false;
        }
        close(fd);
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
    written.push_back(file);
    if (frame.savePng(file)) return true;
    error = fmt::format("cannot write the still {}", file);
    return false;
}

bool RecordingFiles::commit(std::string& error) {
    for (const auto& [part, target] : {std::pair{&videoPart, &video}, {&previewPart, &preview}}) {
        if (std::rename(part->c_str(), target->c_str()) == 0) continue;
        error = "cannot move " + *part + " to " + *target + ": " + std::strerror(errno);
        return false;
    }
    committed = true;
    return true;
}

long long RecordingFiles::size(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

}  // namespace Quessel::Record
