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

    // The machine's physical memory in bytes (0 when it cannot be read).
    static size_t machineMemory();
    // The share of it an import may use.
    static constexpr int ShareDivisor = 4;
    static size_t importBudget() { return machineMemory() / ShareDivisor; }
    // The process's address space now, in bytes.
    static size_t addressSpace();

private:
    rlimit before{};
    bool set = false;
};

}  // namespace Quessel
