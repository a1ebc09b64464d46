#pragma once
#include <chrono>
#include <string>

namespace Quessel::Study {

// F12: the window as drawn (frame, view and overlay), read back before the swap and saved
// as a PNG into screenshots/ beside the binary.
struct Screenshot {
    // Named by the wall-clock time (to the millisecond, so shots in one second do not
    // overwrite each other) and the demo time: quessel-study_2024-12-08_05-43-12.345_t12.345.png
    static std::string fileName(std::chrono::system_clock::time_point wall, double demoTime);
    // A folder (screenshots/ unless named) in the folder of the running binary.
    static std::string folder(const std::string& name = "screenshots");
    // False with the reason in `error`; `path` is where it went.
    static bool save(double demoTime, std::string& path, std::string& error);
};

}  // namespace Quessel::Study
