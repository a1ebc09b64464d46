#include "scene/ShaderRegistry.h"

#include <stdexcept>

namespace Quessel {

ShaderRegistry& ShaderRegistry::instance() {
    static ShaderRegistry registry;  // created on first use, never destroyed before exit
    return registry;
}

void ShaderRegistry::buildStandardPrograms() {
    add("test", "Shader/test.vert", "Shader/test.frag");
    add("depth", "Shader/depth.vert", "Shader/depth.frag");
    add("motionblur", "Shader/motionblur.vert", "Shader/motionblur.frag");
    add("cubemap", "Shader/Reflection/cubemap_render.vs.glsl", "Shader/Reflection/cubemap_render.fs.glsl");
    add("skybox", "Shader/Reflection/skybox.vs.glsl", "Shader/Reflection/skybox.fs.glsl");
    add("render", "Shader/Reflection/render.vs.glsl", "Shader/Reflection/render.fs.glsl");
    add("particle", "Shader/particle.vert", "Shader/particle.frag");
    add("reflect", "Shader/Reflection/reflect.vert", "Shader/Reflection/reflect.frag");
    add("refract", "Shader/Reflection/refract.vert", "Shader/Reflection/refract.frag");
}

ShaderProgram& ShaderRegistry::add(const char* name, const char* vertexPath, const char* fragmentPath) {
    auto found = programs.find(name);
    if (found != programs.end()) return *found->second;
    auto program = std::make_unique<ShaderProgram>(vertexPath, fragmentPath, name);
    return *programs.emplace(name, std::move(program)).first->second;
}

ShaderProgram& ShaderRegistry::get(const std::string& name) {
    auto found = programs.find(name);
    if (found == programs.end()) throw std::out_of_range("invalid map<K, T> key");
    return *found->second;
}

void ShaderRegistry::use(const std::string& name) {
    ShaderProgram& record = get(name);
    glUseProgram(record.program);
    current = &record;
}

void ShaderRegistry::useProgram(GLuint program) {
    for (auto& entry : programs) {
        if (entry.second->program == program) {
            glUseProgram(program);
            current = entry.second.get();
            return;
        }
    }
}

}  // namespace Quessel
