#include "GlCallRecorder.h"

#include "GlTestHelpers.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {
bool recording = false;
std::vector<Quessel::Test::DrawCall> recorded;
std::vector<Quessel::Test::ClearCall> clearCalls;
std::vector<GLenum> enabledCaps;
// Per texture, its glTexParameteri calls in order.
std::map<GLuint, std::vector<std::pair<GLenum, GLint>>> parameterCalls;
PFNGLDRAWTRANSFORMFEEDBACKPROC realDrawTransformFeedback = nullptr;

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

GLenum bindingOf(GLenum samplerType) {
    switch (samplerType) {
    case GL_SAMPLER_2D: return GL_TEXTURE_BINDING_2D;
    case GL_SAMPLER_CUBE: return GL_TEXTURE_BINDING_CUBE_MAP;
    default: return 0;
    }
}

GLenum bindingOfTarget(GLenum target) {
    return target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_BINDING_CUBE_MAP : GL_TEXTURE_BINDING_2D;
}

std::vector<Quessel::Test::SamplerUse> samplersOf(GLuint program) {
    std::vector<Quessel::Test::SamplerUse> samplers;
    if (program == 0) return samplers;
    const GLint activeUnit = integer(GL_ACTIVE_TEXTURE);
    GLint count = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    for (GLint index = 0; index < count; ++index) {
        char name[64] = {};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, static_cast<GLuint>(index), sizeof name, nullptr, &size, &type, name);
        const GLenum binding = bindingOf(type);
        if (binding == 0) continue;
        GLint unit = -1;
        glGetUniformiv(program, glGetUniformLocation(program, name), &unit);
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        samplers.push_back({name, type, unit, static_cast<GLuint>(integer(binding))});
    }
    glActiveTexture(static_cast<GLenum>(activeUnit));
    return samplers;
}

// Projection and view from the buffer bound to a uniform-block binding point.
void readMatrices(GLuint binding, glm::mat4& projection, glm::mat4& view) {
    GLint buffer = 0;
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, binding, &buffer);
    if (buffer == 0) return;
    const std::vector<glm::mat4> matrices = Quessel::Test::readBuffer<glm::mat4>(static_cast<GLuint>(buffer), 2);
    projection = matrices[0];
    view = matrices[1];
}

void record(Quessel::Test::DrawCall::Kind kind, GLsizei count) {
    if (!recording) return;
    Quessel::Test::DrawCall call;
    call.kind = kind;
    call.framebuffer = static_cast<GLuint>(integer(GL_DRAW_FRAMEBUFFER_BINDING));
    call.program = static_cast<GLuint>(integer(GL_CURRENT_PROGRAM));
    call.count = count;
    glGetIntegerv(GL_VIEWPORT, call.viewport);
    call.depthTest = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
    call.depthFunction = static_cast<GLenum>(integer(GL_DEPTH_FUNC));
    call.polygonOffset = glIsEnabled(GL_POLYGON_OFFSET_FILL) == GL_TRUE;
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    call.depthWrites = depthWrites == GL_TRUE;
    GLint subroutineUniforms = 0;
    if (call.program != 0)
        glGetProgramStageiv(call.program, GL_VERTEX_SHADER, GL_ACTIVE_SUBROUTINE_UNIFORMS, &subroutineUniforms);
    if (subroutineUniforms > 0) glGetUniformSubroutineuiv(GL_VERTEX_SHADER, 0, &call.vertexSubroutine);
    call.samplers = samplersOf(call.program);
    readMatrices(1, call.projection, call.view);
    readMatrices(4, call.previousProjection, call.previousView);
    recorded.push_back(call);
}

template <typename F>
F realFunction(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

void GLAPIENTRY recordingDrawTransformFeedback(GLenum mode, GLuint id) {
    record(Quessel::Test::DrawCall::TransformFeedback, 0);
    realDrawTransformFeedback(mode, id);
}
}  // namespace

// The library calls these OpenGL 1.1 entry points directly; defining them in the test
// executable puts the recorder in front of libGL's.
extern "C" void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    static auto real = realFunction<void (*)(GLenum, GLsizei, GLenum, const void*)>("glDrawElements");
    record(Quessel::Test::DrawCall::Elements, count);
    real(mode, count, type, indices);
}

extern "C" void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    static auto real = realFunction<void (*)(GLenum, GLint, GLsizei)>("glDrawArrays");
    record(Quessel::Test::DrawCall::Arrays, count);
    real(mode, first, count);
}

extern "C" void glClear(GLbitfield mask) {
    static auto real = realFunction<void (*)(GLbitfield)>("glClear");
    if (recording) {
        Quessel::Test::ClearCall call{static_cast<GLuint>(integer(GL_DRAW_FRAMEBUFFER_BINDING)), mask, {}};
        glGetFloatv(GL_COLOR_CLEAR_VALUE, call.color);
        clearCalls.push_back(call);
    }
    real(mask);
}

extern "C" void glEnable(GLenum cap) {
    static auto real = realFunction<void (*)(GLenum)>("glEnable");
    if (recording) enabledCaps.push_back(cap);
    real(cap);
}

extern "C" void glTexParameteri(GLenum target, GLenum pname, GLint param) {
    static auto real = realFunction<void (*)(GLenum, GLenum, GLint)>("glTexParameteri");
    if (recording) parameterCalls[static_cast<GLuint>(integer(bindingOfTarget(target)))].emplace_back(pname, param);
    real(target, pname, param);
}

namespace Quessel::Test {

const SamplerUse& DrawCall::sampler(const std::string& name) const {
    for (const SamplerUse& use : samplers)
        if (use.name == name) return use;
    ADD_FAILURE() << "program " << program << " has no sampler " << name;
    static const SamplerUse none{name, 0, -1, 0};
    return none;
}

const SamplerUse& DrawCall::sampler(GLenum type) const {
    const SamplerUse* found = nullptr;
    int count = 0;
    for (const SamplerUse& use : samplers)
        if (use.type == type) found = &use, ++count;
    if (count == 1) return *found;
    ADD_FAILURE() << "program " << program << " has " << count << " samplers of type " << type;
    static const SamplerUse none{"", type, -1, 0};
    return none;
}

GlCallRecorder::GlCallRecorder() {
    clear();
    recording = true;
    if (!realDrawTransformFeedback) {
        realDrawTransformFeedback = __glewDrawTransformFeedback;
        __glewDrawTransformFeedback = recordingDrawTransformFeedback;
    }
}

GlCallRecorder::~GlCallRecorder() {
    recording = false;
    if (realDrawTransformFeedback) {
        __glewDrawTransformFeedback = realDrawTransformFeedback;
        realDrawTransformFeedback = nullptr;
    }
}

const std::vector<DrawCall>& GlCallRecorder::calls() const { return recorded; }

const std::vector<ClearCall>& GlCallRecorder::clears() const { return clearCalls; }

const std::vector<GLenum>& GlCallRecorder::enabled() const { return enabledCaps; }

std::map<GLenum, GLint> GlCallRecorder::textureParameters(GLuint texture) const {
    std::map<GLenum, GLint> parameters;
    auto found = parameterCalls.find(texture);
    if (found == parameterCalls.end()) return parameters;
    for (const auto& call : found->second) parameters[call.first] = call.second;
    return parameters;
}

void GlCallRecorder::clear() {
    recorded.clear();
    clearCalls.clear();
    enabledCaps.clear();
    parameterCalls.clear();
}

std::vector<PassRun> GlCallRecorder::runs() const {
    std::vector<PassRun> result;
    for (const DrawCall& call : recorded) {
        if (result.empty() || result.back().framebuffer != call.framebuffer || result.back().program != call.program)
            result.push_back({call.framebuffer, call.program, {}});
        result.back().draws.push_back(call);
    }
    return result;
}

}  // namespace Quessel::Test
