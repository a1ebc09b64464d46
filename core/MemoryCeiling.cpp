#include "core/MemoryCeiling.h"

#include <unistd.h>

#include <fstream>
#include <string>

namespace Quessel {

namespace {
// A "Name:   123 kB" line of a /proc file, in bytes; 0 when it is not there.
size_t procField(const char* file, const std::string& name) {
    std::ifstream text(file);
    for (std::string line; std::getline(text, line);)
        if (line.rfind(name, 0) == 0) return std::stoull(line.substr(name.size())) * 1024;
    return 0;
}
}  // namespace

size_t MemoryCeiling::availableMemory() {
    if (const size_t available = procField("/proc/meminfo", "MemAvailable:")) return available;
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    return pages > 0 && pageSize > 0 ? static_cast<size_t>(pages) * static_cast<size_t>(pageSize) : 0;
}

size_t MemoryCeiling::addressSpace() { return procField("/proc/self/status", "VmSize:"); }

size_t MemoryCeiling::residentMemory() { return procField("/proc/self/status", "VmRSS:"); }

MemoryCeiling::MemoryCeiling(size_t bytes) {
    if (bytes == 0 || getrlimit(RLIMIT_AS, &before) != 0) return;
    rlimit capped = before;
    capped.rlim_cur = static_cast<rlim_t>(addressSpace() + bytes);
    // Never above a limit that is already lower.
    if (before.rlim_cur != RLIM_INFINITY && before.rlim_cur < capped.rlim_cur) return;
    if (before.rlim_max != RLIM_INFINITY && capped.rlim_cur > before.rlim_max) return;
    set = setrlimit(RLIMIT_AS, &capped) == 0;
}

MemoryCeiling::~MemoryCeiling() {
    if (set) setrlimit(RLIMIT_AS, &before);
}

}  // namespace Quessel
