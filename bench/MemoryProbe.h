#pragma once

namespace Quessel::Bench {

// Resident memory of this process, in KiB, from /proc/self/status.
class MemoryProbe {
public:
    // VmRSS now; 0 when it cannot be read.
    static long residentKb();
    // VmHWM, the peak of VmRSS; falls back to getrusage's ru_maxrss.
    static long peakKb();

private:
    static long statusField(const char* name);
};

}  // namespace Quessel::Bench
