#include "study/ShaderReload.h"

#include "particles/ParticleSystem.h"
#include "scene/ProgramRelinker.h"
#include "scene/ShaderRegistry.h"

#include <fmt/format.h>

namespace Quessel::Study {

ShaderReload ShaderReload::all(ShaderRegistry& registry, ParticleSystem* particles) {
    ShaderReload outcome;
    for (auto& [name, record] : registry.programs) {
        std::string log;
        if (!ProgramRelinker::reload(*record, log)) {
            outcome.failed.push_back(name);
            outcome.log += log.back() == '\n' ? log : log + "\n";
            continue;
        }
        ++outcome.reloaded;
        // A new link may number the particle shader's subroutines differently.
        if (name == "particle" && particles) {
            particles->renderSubroutine = glGetSubroutineIndex(record->program, GL_VERTEX_SHADER, "render");
            particles->updateSubroutine = glGetSubroutineIndex(record->program, GL_VERTEX_SHADER, "update");
        }
    }
    return outcome;
}

std::string ShaderReload::summary() const {
    if (succeeded()) return fmt::format("shaders reloaded: all {} programs relinked", reloaded);
    return fmt::format("shaders reloaded: {} of {} programs relinked; kept running as before: {}", reloaded,
                       reloaded + static_cast<int>(failed.size()), fmt::join(failed, ", "));
}

}  // namespace Quessel::Study
