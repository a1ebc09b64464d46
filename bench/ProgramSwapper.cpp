#include "bench/ProgramSwapper.h"

#include "scene/ShaderProgram.h"
#include "scene/ShaderRegistry.h"

#include <memory>

namespace Quessel::Bench {

namespace {
std::string infoLog(GLuint object, bool program) {
    GLint length = 0;
    if (program)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length < 1) return std::string();
    std::unique_ptr<char[]> log(new char[length]);
    if (program)
        glGetProgramInfoLog(object, length, nullptr, log.get());
    else
        glGetShaderInfoLog(object, length, nullptr, log.get());
    return log.get();
}

// What the demo's link chose for attributes without a layout location (the composite's
// "vpos" and "tex", whose locations the quad's vertex array was built with).
std::vector<std::pair<std::string, GLint>> linkedAttributes(GLuint program) {
    std::vector<std::pair<std::string, GLint>> attributes;
    GLint count = 0;
    GLint longest = 0;
    glGetProgramiv(program, GL_ACTIVE_ATTRIBUTES, &count);
    glGetProgramiv(program, GL_ACTIVE_ATTRIBUTE_MAX_LENGTH, &longest);
    std::vector<char> name(static_cast<std::size_t>(longest > 0 ? longest : 1) + 1);
    for (GLint index = 0; index < count; ++index) {
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(program, static_cast<GLuint>(index), static_cast<GLsizei>(name.size()), nullptr, &size, &type,
                          name.data());
        const GLint location = glGetAttribLocation(program, name.data());
        if (location >= 0) attributes.emplace_back(name.data(), location);
    }
    return attributes;
}
}  // namespace

std::vector<ProgramSwapper::CheapSource> ProgramSwapper::demoSources(const std::string& directory) {
    const std::string scene = directory + "/scene.vert";
    return {
        {"test", scene, directory + "/test.frag"},
        {"depth", scene, directory + "/depth.frag"},
        {"reflect", scene, directory + "/reflect.frag"},
        {"refract", scene, directory + "/refract.frag"},
        {"motionblur", directory + "/composite.vert", directory + "/composite.frag"},
    };
}

ProgramSwapper::ProgramSwapper(Quessel::ShaderRegistry& registry, const std::vector<CheapSource>& sources) {
    for (const CheapSource& source : sources) {
        const auto found = registry.programs.find(source.program);
        if (found == registry.programs.end()) {
            error = "no program \"" + source.program + "\" in the registry";
            return;
        }
        Swap swap;
        swap.record = found->second.get();
        swap.cheapVertex = compile(GL_VERTEX_SHADER, source.vertexFile);
        swap.cheapFragment = compile(GL_FRAGMENT_SHADER, source.fragmentFile);
        if (!error.empty()) return;
        swap.attributes = linkedAttributes(swap.record->program);
        swaps.push_back(swap);
    }
    ready = true;
}

GLuint ProgramSwapper::compile(GLenum type, const std::string& path) {
    for (const auto& entry : compiled)
        if (entry.first == path) return entry.second;
    char* text = Quessel::readShaderFile(path.c_str());
    if (!text) {
        error = "cannot read " + path;
        return 0;
    }
    const GLuint shader = glCreateShader(type);
    const char* source = text;
    glShaderSource(shader, 1, &source, nullptr);
    delete[] text;
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != GL_TRUE) {
        error = path + ": " + infoLog(shader, false);
        return 0;
    }
    compiled.emplace_back(path, shader);
    return shader;
}

void ProgramSwapper::rebindBlocks(const Quessel::ShaderProgram& record) {
    const std::pair<const char*, GLint> blocks[] = {
        {"Matrices", record.matricesBinding}, {"PreviousMatrices", record.previousMatricesBinding},
        {"Material", record.materialBinding}, {"PointLight", record.pointLightBinding},
        {"Sphere", record.sphereBinding},
    };
    // Unlike the builder, skip blocks a program lacks: the frames after a swap are to
    // raise no GL error of their own.
    for (const auto& block : blocks) {
        const GLuint index = glGetUniformBlockIndex(record.program, block.first);
        if (index != GL_INVALID_INDEX) glUniformBlockBinding(record.program, index, static_cast<GLuint>(block.second));
    }
}

bool ProgramSwapper::relink(Swap& swap, GLuint vertex, GLuint fragment) {
    Quessel::ShaderProgram& record = *swap.record;
    const GLuint program = record.program;
    GLuint attached[8] = {0};
    GLsizei count = 0;
    glGetAttachedShaders(program, 8, &count, attached);
    for (GLsizei i = 0; i < count; ++i) glDetachShader(program, attached[i]);
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);

    glBindFragDataLocation(program, 0, "output");
    glBindAttribLocation(program, static_cast<GLuint>(record.positionLocation), "position");
    glBindAttribLocation(program, static_cast<GLuint>(record.normalLocation), "normal");
    glBindAttribLocation(program, static_cast<GLuint>(record.texCoordLocation), "texCoord");
    glBindAttribLocation(program, static_cast<GLuint>(record.tangentLocation), "tangent");
    glBindAttribLocation(program, static_cast<GLuint>(record.bitangentLocation), "bitangent");
    for (const auto& attribute : swap.attributes)
        glBindAttribLocation(program, static_cast<GLuint>(attribute.second), attribute.first.c_str());
    glLinkProgram(program);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status != GL_TRUE) {
        error = std::string("relinking \"") + record.name + "\": " + infoLog(program, true);
        return false;
    }

    // Scene drawing sets these every draw: a location of the other link would be an error.
    record.texLocation = glGetUniformLocation(program, "tex");
    record.nmTexLocation = glGetUniformLocation(program, "nmTex");
    rebindBlocks(record);
    swap.uniforms.restore(program);
    return true;
}

bool ProgramSwapper::useCheap() {
    if (cheapLinked || !ready) return ready;
    for (Swap& swap : swaps) swap.uniforms = Quessel::UniformSnapshot::of(swap.record->program);
    cheapLinked = true;
    for (Swap& swap : swaps) {
        if (!relink(swap, swap.cheapVertex, swap.cheapFragment)) {
            const std::string reason = error;
            useDemo();
            error = reason;
            return false;
        }
    }
    return true;
}

bool ProgramSwapper::useDemo() {
    if (!cheapLinked) return true;
    bool linked = true;
    for (Swap& swap : swaps) linked = relink(swap, swap.record->vertexShader, swap.record->fragmentShader) && linked;
    cheapLinked = false;
    return linked;
}

}  // namespace Quessel::Bench
