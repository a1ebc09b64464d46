#include "core/MemoryCeiling.h"

#include <unistd.h>

#include <fstream>
#include <string>

namespace Quessel {

size_t MemoryCeiling::machineMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    return pages > 0 && pageSize > 0 ? static_cast<size_t>(pages) * static_cast<size_t>(pageSize) : 0;
}

size_t MemoryCeiling::addressSpace() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmSize:", 0) == 0) return std::stoull(line.substr(7)) * 1024;
    return 0;
}

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
