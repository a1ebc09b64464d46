#include "GlTestContext.h"

#include <cstdio>

namespace {
GLFWwindow* window = nullptr;
}

GLFWwindow* Quessel::Test::glWindow() { return window; }

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery only lists names; it needs no context (and no display).
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    if (!glfwInit()) {
        std::fprintf(stderr, "GL tests need a display (run them under Xvfb)\n");
        return 1;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
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
    const int result = RUN_ALL_TESTS();
    glfwDestroyWindow(window);
    glfwTerminate();
    return result;
}
