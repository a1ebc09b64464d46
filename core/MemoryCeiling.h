#pragma once
#include <sys/resource.h>
#include <cstddef>

namespace Quessel {

// Caps how much more address space the process may take while it lives, then lifts the
// cap again: a file whose import would need more fails with an allocation error instead of
// taking the machine's memory. A cap of 0 changes nothing.
class MemoryCeiling {
public:
    explicit MemoryCeiling(size_t bytes);
    ~MemoryCeiling();
    MemoryCeiling(const MemoryCeiling&) = delete;
    MemoryCeiling& operator=(const MemoryCeiling&) = delete;

    // Whether the cap is in force (it could be set).
    bool active() const { return set; }

    // The memory the machine has available now (MemAvailable: free, and what the kernel
    // can take back from its caches), in bytes; its free pages when that cannot be read.
    static size_t availableMemory();
    // What a tool's scene and its effects may take: three quarters of what is available,
    // the rest left to the tool itself, the driver and the machine's other programs.
    static size_t budget() { return availableMemory() / 4 * 3; }
    // The process's address space and resident memory now, in bytes.
    static size_t addressSpace();
    static size_t residentMemory();

private:
    rlimit before{};
    bool set = false;
};

}  // namespace Quessel
