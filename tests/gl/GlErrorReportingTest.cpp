// GL errors reach the tests through the debug-output callback: any error fails the test
// that raised it, naming it, and a guard lets expected errors through to the flag.
#include "ExpectGlErrors.h"
#include "GlTestContext.h"

#include <gtest/gtest-spi.h>

namespace {

using GlErrorReporting = Quessel::Test::GlTest;

TEST_F(GlErrorReporting, AnErrorFailsTheRunningTestNamingTheErrorAndTheCall) {
    EXPECT_NONFATAL_FAILURE(glEnable(0x7FFF), "GL_INVALID_ENUM in glEnable");
    Quessel::Test::setGlErrorContext("the test pass");
    EXPECT_NONFATAL_FAILURE(glViewport(0, 0, -1, -1), "GL error in the test pass: GL_INVALID_VALUE");
    Quessel::Test::setGlErrorContext("");
}

TEST_F(GlErrorReporting, ExpectedErrorsAreCountedAndLeftInTheFlagOthersStillFail) {
    Quessel::Test::ExpectGlErrors guard{GL_INVALID_VALUE};
    glViewport(0, 0, -1, -1);
    EXPECT_EQ(guard.count(), 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_VALUE));
    EXPECT_NONFATAL_FAILURE(glEnable(0x7FFF), "GL_INVALID_ENUM");
    EXPECT_EQ(guard.count(), 1);
}

}  // namespace
