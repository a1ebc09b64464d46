#include "record/StillsFolder.h"

#include "core/RgbImage.h"

#include <fmt/format.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace Quessel::Record {

namespace fs = std::filesystem;

StillsFolder::~StillsFolder() {
    if (kept) return;
    std::error_code ignored;
    for (const std::string& file : written) fs::remove(file, ignored);
    if (made) fs::remove(path, ignored);
}

bool StillsFolder::create(std::string& error) {
    std::error_code failure;
    made = fs::create_directories(path, failure);
    if (!failure && access(path.c_str(), W_OK | X_OK) != 0) failure = std::error_code(errno, std::generic_category());
    if (failure) error = fmt::format("cannot write stills into {}: {}", path, failure.message());
    return !failure;
}

std::string StillsFolder::fileName(long number) const { return fmt::format("{}/frame-{:05d}.png", path, number); }

bool StillsFolder::save(const RgbImage& frame, long number, std::string& error) {
    const std::string file = fileName(number);
    written.push_back(file);
    if (frame.savePng(file)) return true;
    error = fmt::format("cannot write the still {}", file);
    return false;
}

}  // namespace Quessel::Record
