#pragma once
// GL errors reach the tests through KHR_debug: a synchronous debug-output callback fails the
// running test on every message of type error, with the driver's text (Mesa names the error
// and the call, e.g. "GL_INVALID_ENUM in glEnable(0x7fff)"). The callback never calls
// glGetError, so code that reads the error flag itself still finds it as GL left it.
#include <GL/glew.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace Quessel::Test {

// Turns on synchronous debug output of errors on the current context and reports them to
// the running test. False when the context offers no debug output.
bool failTestsOnGlErrors();

// Says where the errors that follow come from (a frame's pass, say); empty for nowhere.
void setGlErrorContext(const std::string& where);

// A test that provokes GL errors on purpose says so with a guard: while it lives, errors of
// the given kinds (GL_INVALID_VALUE, ...; GL_DEBUG_SOURCE_SHADER_COMPILER for the compile
// errors of broken GLSL) are counted and let through; any other error still fails the
// test. The error flag is drained when the guard ends.
class ExpectGlErrors {
public:
    ExpectGlErrors(std::initializer_list<GLenum> kinds);
    ~ExpectGlErrors();
    ExpectGlErrors(const ExpectGlErrors&) = delete;
    ExpectGlErrors& operator=(const ExpectGlErrors&) = delete;

    // Errors let through so far.
    int count() const { return counted; }
    // Whether an error from this source with this driver message is one of the guard's
    // kinds; counts it.
    bool absorb(GLenum source, const char* message);

private:
    std::vector<GLenum> kinds;
    int counted = 0;
    ExpectGlErrors* outer;
};

}  // namespace Quessel::Test
