#pragma once
#include <string>
#include <vector>

namespace Quessel {

// What reloading the demo's shaders from their files did: every program compiled again and
// relinked in place, a program whose files fail kept running as it was.
struct ShaderReload {
    int reloaded = 0;
    // Programs that kept running, and why: file names with the compiler's or linker's log.
    std::vector<std::string> failed;
    std::string log;

    bool succeeded() const { return failed.empty(); }
    // One line: how many programs were reloaded and which kept running.
    std::string summary() const;
};

}  // namespace Quessel
