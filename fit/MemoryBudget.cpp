#include "fit/MemoryBudget.h"

#include "envmap/EnvironmentMapFramebuffer.h"

#include <fmt/format.h>

namespace Quessel {

namespace {
std::string amount(uint64_t bytes) {
    double value = static_cast<double>(bytes) / (1 << 20);
    for (const char* unit : {"MiB", "GiB", "TiB"}) {
        if (value < 1024.0) return fmt::format(value < 10.0 ? "{:.1f} {}" : "{:.0f} {}", value, unit);
        value /= 1024.0;
    }
    return fmt::format("{:.0f} PiB", value);
}
}  // namespace

uint64_t MemoryBudget::cubeMapBytes(size_t cubeMaps) {
    return static_cast<uint64_t>(cubeMaps) * EnvironmentMapFramebuffer::MemoryBytes;
}

uint64_t MemoryBudget::forImport(size_t cubeMaps) const {
    const uint64_t effects = cubeMapBytes(cubeMaps);
    return effects < bytes ? bytes - effects : 0;
}

std::string MemoryBudget::refusal(const std::string& path, const ImportEstimate& import, size_t cubeMaps) const {
    const uint64_t effects = cubeMapBytes(cubeMaps);
    if (import.bytes <= forImport(cubeMaps) && effects < bytes) return "";
    const std::string maps = cubeMaps == 0 ? ""
                                           : fmt::format(" and {} for the cube maps of its {} mirror and glass object{} "
                                                         "({} MiB each)",
                                                         amount(effects), cubeMaps, cubeMaps == 1 ? "" : "s",
                                                         EnvironmentMapFramebuffer::MemoryBytes >> 20);
    return fmt::format("the scene {} needs about {} to import ({}){}, more than the {} a scene may take here "
                       "(three quarters of the memory this machine had available)",
                       path, amount(import.bytes), import.basis, maps, amount(bytes));
}

}  // namespace Quessel
