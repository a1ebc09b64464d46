// The particle state that the CPU prepares once.
#include "particles/ParticleSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using Quessel::ParticleSystem;
using Quessel::vec3;

TEST(ParticleData, VelocitiesHaveFixedSpeedInsideTheUpwardCone) {
    const std::vector<float> v = ParticleSystem::initialVelocities(1000);
    ASSERT_EQ(v.size(), 3000u);
    for (size_t i = 0; i < 1000; ++i) {
        const float x = v[3 * i], y = v[3 * i + 1], z = v[3 * i + 2];
        EXPECT_NEAR(std::sqrt(x * x + y * y + z * z), 0.05f, 2e-8f) << i;
        EXPECT_GE(y, -0.025f - 1e-8f) << i;
        EXPECT_LE(y, 0.05f) << i;
    }
}

TEST(ParticleData, EachParticleDrawsThreeRandomNumbersInOrder) {
    std::srand(7);
    const float r1 = static_cast<float>(std::rand() & 0x7FFF) / 32767.0f;
    const float r2 = static_cast<float>(std::rand() & 0x7FFF) / 32767.0f;
    std::rand();
    const int next = std::rand();
    std::srand(7);
    const std::vector<float> v = ParticleSystem::initialVelocities(1);
    EXPECT_EQ(std::rand(), next);
    const float theta = r1 * 2.0943952f, phi = r2 * 6.2831855f;
    EXPECT_NEAR(v[0], 0.05f * std::sin(theta) * std::cos(phi), 1e-7f);
    EXPECT_NEAR(v[1], 0.05f * std::cos(theta), 1e-7f);
    EXPECT_NEAR(v[2], 0.05f * std::sin(theta) * std::sin(phi), 1e-7f);
}

TEST(ParticleData, StartTimesAreSummedInFloatAndPositionIsDerivedFromTheEmitter) {
    const std::vector<float> t = ParticleSystem::startTimes(1000);
    ASSERT_EQ(t.size(), 1000u);
    EXPECT_EQ(t[0], 0.0f);
    EXPECT_EQ(t[10], 1.0000001f);
    EXPECT_EQ(t[100], 10.000002f);
    EXPECT_EQ(t[999], 99.899048f);

    const vec3 p = ParticleSystem::initialPosition(vec3(-1.77863f, 3.77f, -2.08176f));
    EXPECT_NEAR(p.x, -4.05726f, 1e-5f);
    EXPECT_NEAR(p.y, 7.54f, 1e-5f);
    EXPECT_NEAR(p.z, -5.16352f, 1e-5f);
}
