#pragma once
// The view matrix of an eye looking along a direction, built element by element from the
// look-at formula rather than taken from GLM, and a tolerant matrix comparison.
#include "math/MathTypes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Quessel::Test {

inline Quessel::mat4 lookAlong(const Quessel::vec3& eye, const Quessel::vec3& direction,
                               const Quessel::vec3& up = Quessel::vec3(0.0f, 1.0f, 0.0f)) {
    const Quessel::vec3 f = glm::normalize(direction);
    const Quessel::vec3 s = glm::normalize(glm::cross(f, up));
    const Quessel::vec3 u = glm::cross(s, f);
    Quessel::mat4 m(1.0f);
    for (int i = 0; i < 3; ++i) {
        m[i][0] = s[i];
        m[i][1] = u[i];
        m[i][2] = -f[i];
    }
    m[3][0] = -glm::dot(s, eye);
    m[3][1] = -glm::dot(u, eye);
    m[3][2] = glm::dot(f, eye);
    return m;
}

// Elements agree to float precision relative to the matrix's largest element.
inline ::testing::AssertionResult matricesNear(const Quessel::mat4& actual, const Quessel::mat4& expected) {
    float scale = 1.0f;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) scale = std::fmax(scale, std::fabs(expected[i][j]));
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (!(std::fabs(actual[i][j] - expected[i][j]) <= 4e-6f * scale))
                return ::testing::AssertionFailure()
                       << "column " << i << ", row " << j << ": " << actual[i][j] << " instead of " << expected[i][j];
    return ::testing::AssertionSuccess();
}

}  // namespace Quessel::Test
