// The matrix conventions every uniform upload relies on.
#include "math/MathTypes.h"

#include <gtest/gtest.h>

using namespace Quessel;

TEST(Math, StorageIsColumnMajorWithTranslationInColumnThree) {
    const mat4 m = glm::translate(mat4(1.0f), vec3(2.0f, 3.0f, 4.0f));
    const float* f = glm::value_ptr(m);
    EXPECT_EQ(f[12], 2.0f);
    EXPECT_EQ(f[13], 3.0f);
    EXPECT_EQ(f[14], 4.0f);
    EXPECT_EQ(f[3], 0.0f);
}

TEST(Math, LookAtDownMinusZIsIdentityAndRotateAppliesFirst) {
    EXPECT_EQ(glm::lookAt(vec3(0.0f), vec3(0, 0, -1), vec3(0, 1, 0)), mat4(1.0f));
    // rotate(m, a, axis) is m * R: with m a translation, the point is rotated, then moved.
    const mat4 m = glm::rotate(glm::translate(mat4(1.0f), vec3(5, 0, 0)), 1.5707964f, vec3(0, 0, 1));
    const vec4 p = m * vec4(1, 0, 0, 1);
    EXPECT_NEAR(p.x, 5.0f, 1e-6f);
    EXPECT_NEAR(p.y, 1.0f, 1e-6f);
}

TEST(Math, ComparisonSeesOneChangedElementAndNaN) {
    mat4 a(1.0f);
    mat4 b(1.0f);
    EXPECT_TRUE(a == b);
    b[2][1] = 1e-7f;
    EXPECT_TRUE(a != b);
    b = a;
    b[0][0] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(b != b);
    EXPECT_FALSE(std::isfinite(glm::normalize(vec3(0.0f)).x));
}
