#include "harness/ShaderReload.h"

namespace Quessel {

std::string ShaderReload::summary() const {
    const std::string total = std::to_string(reloaded + static_cast<int>(failed.size()));
    if (succeeded()) return "shaders reloaded: all " + total + " programs relinked";
    std::string kept;
    for (const std::string& name : failed) kept += (kept.empty() ? "" : ", ") + name;
    return "shaders reloaded: " + std::to_string(reloaded) + " of " + total +
           " programs relinked; kept running as before: " + kept;
}

}  // namespace Quessel
