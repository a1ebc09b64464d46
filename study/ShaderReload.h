#pragma once
#include <string>
#include <vector>

namespace Quessel {
class ParticleSystem;
class ShaderRegistry;
}  // namespace Quessel

namespace Quessel::Study {

// F5: every program of the registry compiled again from its files and relinked in place.
// A program whose files fail keeps running as it was.
struct ShaderReload {
    int reloaded = 0;
    // Programs that kept running, and why: file names with the compiler's or linker's log.
    std::vector<std::string> failed;
    std::string log;

    static ShaderReload all(ShaderRegistry& registry, ParticleSystem* particles);

    bool succeeded() const { return failed.empty(); }
    // One line: how many programs were reloaded and which kept running.
    std::string summary() const;
};

}  // namespace Quessel::Study
