#pragma once
// One hidden 4.3 core debug context per GL test process (created in GlTestMain.cpp). In the
// GL and frame tests every GL error fails the test that raised it (ExpectGlErrors.h).
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

namespace Quessel::Test {

GLFWwindow* glWindow();

// Drains the error flag.
inline void clearGlErrors() {
    while (glGetError() != GL_NO_ERROR) {}
}

// Puts back the state the demo's code sets for the whole run (depth test, offset, blending,
// point size, clear colour, bindings), so that tests sharing the context start alike.
void resetGlState();

// Fixture for tests that need the context: starts and ends with GL's state.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override { resetGlState(); }
    void TearDown() override { resetGlState(); }
};

}  // namespace Quessel::Test
