#include "study/Screenshot.h"

#include "core/GlConstants.h"
#include "core/RgbImage.h"

#include <fmt/format.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace Quessel::Study {

std::string Screenshot::fileName(std::chrono::system_clock::time_point wall, double demoTime) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(wall);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(wall.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    return fmt::format("quessel-study_{}.{:03d}_t{:.3f}.png", stamp, millis, demoTime);
}

std::string Screenshot::folder(const std::string& name) {
    std::error_code error;
    const std::filesystem::path binary = std::filesystem::read_symlink("/proc/self/exe", error);
    return ((error ? std::filesystem::current_path() : binary.parent_path()) / name).string();
}

bool Screenshot::save(double demoTime, std::string& path, std::string& error) {
    const std::string where = folder();
    std::error_code made;
    std::filesystem::create_directories(where, made);
    if (made) {
        error = "cannot make the folder " + where + ": " + made.message();
        return false;
    }
    path = where + "/" + fileName(std::chrono::system_clock::now(), demoTime);
    if (!RgbImage::readWindow(ScreenWidth, ScreenHeight).savePng(path)) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace Quessel::Study
