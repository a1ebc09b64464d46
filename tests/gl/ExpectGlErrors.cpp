#include "ExpectGlErrors.h"

#include "GlTestContext.h"

#include <cstring>

namespace Quessel::Test {

namespace {
ExpectGlErrors* innermost = nullptr;
std::string context;

const char* errorName(GLenum error) {
    switch (error) {
    case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
    case GL_INVALID_FRAMEBUFFER_OPERATION: return "GL_INVALID_FRAMEBUFFER_OPERATION";
    case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
    case GL_STACK_OVERFLOW: return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW: return "GL_STACK_UNDERFLOW";
    default: return "";
    }
}

void GLAPIENTRY onDebugMessage(GLenum source, GLenum type, GLuint id, GLenum, GLsizei, const GLchar* message,
                               const void*) {
    if (type != GL_DEBUG_TYPE_ERROR) return;
    if (innermost && innermost->absorb(source, message)) return;
    ADD_FAILURE() << "GL error" << (context.empty() ? "" : " in ") << context << ": " << message << " (message id "
                  << id << ")";
}
}  // namespace

bool failTestsOnGlErrors() {
    GLint flags = 0;
    glGetIntegerv(GL_CONTEXT_FLAGS, &flags);
    if (!(flags & GL_CONTEXT_FLAG_DEBUG_BIT) || !glDebugMessageCallback) return false;
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    // Only errors: the compiler's and performance notes are not failures.
    glDebugMessageControl(GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr, GL_FALSE);
    glDebugMessageControl(GL_DONT_CARE, GL_DEBUG_TYPE_ERROR, GL_DONT_CARE, 0, nullptr, GL_TRUE);
    glDebugMessageCallback(onDebugMessage, nullptr);
    return true;
}

void setGlErrorContext(const std::string& where) { context = where; }

ExpectGlErrors::ExpectGlErrors(std::initializer_list<GLenum> kinds) : kinds(kinds), outer(innermost) {
    innermost = this;
}

ExpectGlErrors::~ExpectGlErrors() {
    innermost = outer;
    clearGlErrors();
}

bool ExpectGlErrors::absorb(GLenum source, const char* message) {
    // An API error's message names it; drivers spell the enum out.
    for (GLenum kind : kinds) {
        if (kind == source || (*errorName(kind) && std::strstr(message, errorName(kind)))) {
            ++counted;
            return true;
        }
    }
    return outer && outer->absorb(source, message);
}

}  // namespace Quessel::Test
