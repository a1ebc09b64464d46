#include "harness/DemoPrograms.h"

#include "app/Demo.h"
#include "app/DemoParts.h"
#include "scene/Importer.h"
#include "scene/ProgramRelinker.h"
#include "scene/ShaderRegistry.h"

namespace Quessel {

namespace {
ShaderRegistry& registryOf(const Demo& demo) { return *demo.parts().importer->registry; }
}  // namespace

ShaderReload DemoPrograms::reload() {
    ShaderReload outcome;
    for (auto& [name, record] : registryOf(demo).programs) {
        std::string log;
        if (ProgramRelinker::reload(*record, log)) {
            ++outcome.reloaded;
            continue;
        }
        outcome.failed.push_back(name);
        outcome.log += log.empty() || log.back() == '\n' ? log : log + "\n";
    }
    return outcome;
}

GLuint DemoPrograms::program(const std::string& name) const {
    const auto& programs = registryOf(demo).programs;
    const auto found = programs.find(name);
    return found != programs.end() ? found->second->program : 0;
}

bool DemoPrograms::relink(const std::string& name, GLuint vertex, GLuint fragment, const UniformSnapshot& values,
                          std::string& log) {
    const auto& programs = registryOf(demo).programs;
    const auto found = programs.find(name);
    if (found == programs.end()) {
        log = "no program " + name;
        return false;
    }
    ShaderProgram& record = *found->second;
    if (!vertex && !fragment) {
        vertex = record.vertexShader;
        fragment = record.fragmentShader;
    }
    return ProgramRelinker::relink(record, vertex, fragment, values, log);
}

}  // namespace Quessel
