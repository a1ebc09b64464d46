#include "GlCallRecorder.h"

#include <dlfcn.h>

namespace {
bool recording = false;
std::vector<QuesselTest::DrawCall> recorded;
PFNGLDRAWTRANSFORMFEEDBACKPROC realDrawTransformFeedback = nullptr;

void record(QuesselTest::DrawCall::Kind kind, GLsizei count) {
    if (!recording) return;
    GLint framebuffer = 0;
    GLint program = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    recorded.push_back({kind, static_cast<GLuint>(framebuffer), static_cast<GLuint>(program), count});
}

template <typename F>
F realFunction(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

void GLAPIENTRY recordingDrawTransformFeedback(GLenum mode, GLuint id) {
    record(QuesselTest::DrawCall::TransformFeedback, 0);
    realDrawTransformFeedback(mode, id);
}
}  // namespace

// The library calls these OpenGL 1.1 entry points directly; defining them in the test
// executable puts the recorder in front of libGL's.
extern "C" void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {
    static auto real = realFunction<void (*)(GLenum, GLsizei, GLenum, const void*)>("glDrawElements");
    record(QuesselTest::DrawCall::Elements, count);
    real(mode, count, type, indices);
}

extern "C" void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    static auto real = realFunction<void (*)(GLenum, GLint, GLsizei)>("glDrawArrays");
    record(QuesselTest::DrawCall::Arrays, count);
    real(mode, first, count);
}

namespace QuesselTest {

GlCallRecorder::GlCallRecorder() {
    recorded.clear();
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

void GlCallRecorder::clear() { recorded.clear(); }

std::vector<PassRun> GlCallRecorder::runs() const {
    std::vector<PassRun> result;
    for (const DrawCall& call : recorded) {
        if (result.empty() || result.back().framebuffer != call.framebuffer || result.back().program != call.program)
            result.push_back({call.framebuffer, call.program, {}});
        result.back().draws.push_back(call);
    }
    return result;
}

}  // namespace QuesselTest
