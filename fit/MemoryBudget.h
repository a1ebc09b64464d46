#pragma once
#include "fit/ImportEstimate.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace Quessel {

// What a tool's scene may take in memory: its import, judged before it starts from what the
// file declares, and a cube map for each of its mirrors and glass objects, together within a
// share of the memory the machine had available (see MemoryCeiling::budget).
class MemoryBudget {
public:
    explicit MemoryBudget(uint64_t bytes) : bytes(bytes) {}

    // Empty when the import and `cubeMaps` cube maps fit; else why they do not.
    std::string refusal(const std::string& path, const ImportEstimate& import, size_t cubeMaps) const;
    // What the import itself may take while it runs: the budget less the cube maps.
    uint64_t forImport(size_t cubeMaps) const;
    static uint64_t cubeMapBytes(size_t cubeMaps);

    const uint64_t bytes;
};

}  // namespace Quessel
