#include "ExpectGlErrors.h"
#include "GlTestContext.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace {
GLFWwindow* window = nullptr;
}

GLFWwindow* Quessel::Test::glWindow() { return window; }

void Quessel::Test::resetGlState() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, 1280, 768);
    glUseProgram(0);
    glBindVertexArray(0);
    glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, 0);
    glActiveTexture(GL_TEXTURE0);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(0.0f, 0.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_BLEND);
    glDisable(GL_PROGRAM_POINT_SIZE);
    glDisable(GL_RASTERIZER_DISCARD);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    // Every error left here has already failed its test or was expected by it.
    clearGlErrors();
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery only lists names; it needs no context (and no display).
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    // An X server resets itself when its last client leaves: a test process that starts
    // right after the previous one may find no display for a moment.
    bool ready = glfwInit();
    for (int attempt = 0; !ready && attempt < 30; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ready = glfwInit();
    }
    if (!ready) {
        const char* reason = nullptr;
        glfwGetError(&reason);
        std::fprintf(stderr, "GL tests need a display (run them under Xvfb): %s\n", reason ? reason : "");
        return 1;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    window = glfwCreateWindow(1280, 768, "quessel-gl-tests", nullptr, nullptr);
    if (!window) {
        std::fprintf(stderr, "no OpenGL 4.3 core context\n");
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "glewInit failed\n");
        return 1;
    }
    Quessel::Test::clearGlErrors();  // glewInit leaves GL_INVALID_ENUM on core profiles
    if (!Quessel::Test::failTestsOnGlErrors()) {
        std::fprintf(stderr, "no debug output: the context is not a debug context\n");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    glfwDestroyWindow(window);
    glfwTerminate();
    return result;
}
