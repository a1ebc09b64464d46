#pragma once
// One hidden 4.3 core context per GL test process (created in GlTestMain.cpp).
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

namespace Quessel::Test {

GLFWwindow* glWindow();

// Drains the error flag so one test's leftovers never fail the next.
inline void clearGlErrors() {
    while (glGetError() != GL_NO_ERROR) {}
}

// Fixture for tests that need the context: starts and ends with a clean error flag
// and the default framebuffer bound.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override {
        clearGlErrors();
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    void TearDown() override {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glUseProgram(0);
        glBindVertexArray(0);
        glActiveTexture(GL_TEXTURE0);
        clearGlErrors();
    }
};

}  // namespace Quessel::Test
