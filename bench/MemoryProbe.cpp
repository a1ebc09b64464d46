#include "bench/MemoryProbe.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstring>

namespace Quessel::Bench {

long MemoryProbe::statusField(const char* name) {
    std::FILE* file = std::fopen("/proc/self/status", "r");
    if (!file) return 0;
    const std::size_t length = std::strlen(name);
    char line[256];
    long value = 0;
    while (std::fgets(line, sizeof(line), file)) {
        if (std::strncmp(line, name, length) == 0 && line[length] == ':') {
            std::sscanf(line + length + 1, "%ld", &value);
            break;
        }
    }
    std::fclose(file);
    return value;
}

long MemoryProbe::residentKb() { return statusField("VmRSS"); }

long MemoryProbe::peakKb() {
    const long peak = statusField("VmHWM");
    if (peak > 0) return peak;
    rusage usage{};
    // ru_maxrss is in KiB on Linux.
    return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss : 0;
}

}  // namespace Quessel::Bench
