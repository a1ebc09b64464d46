// Start-up and the loop skeleton: the window and context the demo asks for, the state it
// sets for the whole run, the time step and the per-frame OpenGL error report.
#include "ExpectGlErrors.h"
#include "GlTestContext.h"

#include "app/Demo.h"
#include "app/GlfwClock.h"
#include "app/Startup.h"

#include <string>
#include <vector>

using namespace Quessel;

namespace {

using Startup = Quessel::Test::GlTest;

std::vector<GLint> integers(GLenum name, int count) {
    std::vector<GLint> values(static_cast<size_t>(count), -1);
    glGetIntegerv(name, values.data());
    return values;
}

float real(GLenum name) {
    float value = -1.0f;
    glGetFloatv(name, &value);
    return value;
}

}  // namespace

TEST_F(Startup, InitialStateTestsDepthWithLessAndOffsetsFilledPolygonsOverTheWholeScreen) {
    glDepthFunc(GL_ALWAYS);
    glViewport(3, 3, 10, 10);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glPolygonOffset(0.0f, 0.0f);
    setInitialGlState();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(integers(GL_DEPTH_FUNC, 1)[0], GL_LESS);
    EXPECT_EQ(integers(GL_VIEWPORT, 4), (std::vector<GLint>{0, 0, 1280, 768}));
    EXPECT_TRUE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_LINE));
    EXPECT_EQ(integers(GL_POLYGON_MODE, 1)[0], GL_FILL);
    EXPECT_EQ(real(GL_POLYGON_OFFSET_FACTOR), 1.1f);
    EXPECT_EQ(real(GL_POLYGON_OFFSET_UNITS), 4.0f);
}

TEST_F(Startup, WindowIsFullScreenWithACoreDebugContextFourSamplesCapturedCursorAndStickyKeys) {
    glfwDefaultWindowHints();  // only the demo's own hints, not those of the test window
    initGlfw();
    GLFWwindow* window = openWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(glfwGetCurrentContext(), window);
    EXPECT_EQ(glfwGetWindowMonitor(window), glfwGetPrimaryMonitor());
    int width = 0, height = 0;
    glfwGetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 768);
    EXPECT_EQ(glfwGetWindowAttrib(window, GLFW_RESIZABLE), GLFW_FALSE);
    EXPECT_EQ(glfwGetInputMode(window, GLFW_CURSOR), GLFW_CURSOR_DISABLED);
    // The driver may hand out a newer version than 4.3, never an older one.
    const int major = glfwGetWindowAttrib(window, GLFW_CONTEXT_VERSION_MAJOR);
    EXPECT_TRUE(major > 4 || (major == 4 && glfwGetWindowAttrib(window, GLFW_CONTEXT_VERSION_MINOR) >= 3));
    EXPECT_EQ(integers(GL_CONTEXT_PROFILE_MASK, 1)[0], GL_CONTEXT_CORE_PROFILE_BIT);
    const GLint flags = integers(GL_CONTEXT_FLAGS, 1)[0];
    EXPECT_TRUE(flags & GL_CONTEXT_FLAG_FORWARD_COMPATIBLE_BIT);
    EXPECT_TRUE(flags & GL_CONTEXT_FLAG_DEBUG_BIT);
    EXPECT_EQ(integers(GL_SAMPLES, 1)[0], 4);

    testing::internal::CaptureStdout();
    initGlew(window);
    const std::string report = testing::internal::GetCapturedStdout();
    EXPECT_EQ(report.rfind("Ready for OpenGL 4.3\nVendor: ", 0), 0u) << report;
    EXPECT_NE(report.find("\nRenderer: "), std::string::npos) << report;
    EXPECT_EQ(glfwGetInputMode(window, GLFW_STICKY_KEYS), GLFW_TRUE);

    glfwDestroyWindow(window);
    glfwDefaultWindowHints();
    glfwMakeContextCurrent(Quessel::Test::glWindow());
}

TEST_F(Startup, TimeStepIsTheClockSinceThePreviousStep) {
    GlfwClock clock;
    glfwSetTime(10.0);
    clock.start();
    glfwSetTime(10.25);
    EXPECT_NEAR(clock.step(), 0.25, 0.01);
    EXPECT_NEAR(GlfwClock::now(), 10.25, 0.01);
    const double next = clock.step();
    EXPECT_GE(next, 0.0);
    EXPECT_LT(next, 0.01);
}

TEST_F(Startup, OnlyTheSecondAndLaterGlErrorsArePrintedAllOnOneLine) {
    Demo demo(Quessel::Test::glWindow());
    testing::internal::CaptureStdout();
    EXPECT_FALSE(demo.present());
    const std::string clean = testing::internal::GetCapturedStdout();
    EXPECT_EQ(clean, "");
    EXPECT_EQ(demo.view().errorCount(), 0);

    // The demo reads the flag itself: the errors are let through and left there for it.
    Quessel::Test::ExpectGlErrors provoked{GL_INVALID_ENUM, GL_INVALID_VALUE};
    const GLenum noSuchCapability = 0x7FFF;
    std::string printed;
    for (int frame = 0; frame < 3; ++frame) {
        if (frame < 2)
            glEnable(noSuchCapability);  // GL_INVALID_ENUM, 1280
        else
            glViewport(0, 0, -1, -1);  // GL_INVALID_VALUE, 1281
        testing::internal::CaptureStdout();
        demo.present();
        printed += testing::internal::GetCapturedStdout();
        if (frame == 0) {
            EXPECT_EQ(printed, "") << "the first error is only counted";
        }
    }
    EXPECT_EQ(printed, "GL error! 1280GL error! 1281");
    EXPECT_EQ(demo.view().errorCount(), 3);
    EXPECT_EQ(provoked.count(), 3);

    // Closing the window ends the loop after this frame.
    glfwSetWindowShouldClose(Quessel::Test::glWindow(), GLFW_TRUE);
    EXPECT_TRUE(demo.present());
    glfwSetWindowShouldClose(Quessel::Test::glWindow(), GLFW_FALSE);
}
