// The look's compact vertex formats: directions in 10 bits a component and values in
// [0, 1] in 16 bits come back as GL reads them within half a step, in GL's bit layout,
// and what they cannot hold is told apart.
#include "look/VertexPacking.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Quessel;

namespace {
constexpr float Nan = std::numeric_limits<float>::quiet_NaN();
constexpr float Infinity = std::numeric_limits<float>::infinity();
}  // namespace

TEST(VertexPacking, DirectionsComeBackWithinHalfAStepOfTheirUnitVector) {
    const vec3 directions[] = {{1, 0, 0},
                               {0, -1, 0},
                               {0, 0, 1},
                               {1, 1, 1},
                               {-0.3f, 0.8f, 0.52f},
                               {0.001f, -0.999f, 0.04f},
                               {7, -3, 2},
                               {1e-30f, 2e-30f, -1e-30f},
                               {3e38f, -3e38f, 1e38f},
                               {0.577f, -0.577f, 0.578f}};
    for (const vec3& direction : directions) {
        const vec3 unit = glm::normalize(glm::dvec3(direction));
        const vec3 back = VertexPacking::unpackDirection(VertexPacking::packDirection(direction));
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(back[i], unit[i], 0.5f / 511.0f + 1e-6f)
                << "component " << i << " of " << direction.x << ", " << direction.y << ", " << direction.z;
        EXPECT_GT(glm::dot(glm::normalize(back), unit), std::cos(glm::radians(0.1f)));
    }
}

TEST(VertexPacking, DirectionsInGlsLayoutAndNothingForWhatHasNone) {
    // x in bits 0-9, y 10-19, z 20-29, two's complement, w 0.
    EXPECT_EQ(VertexPacking::packDirection({1, 0, 0}), 511u);
    EXPECT_EQ(VertexPacking::packDirection({0, -1, 0}), 513u << 10);
    EXPECT_EQ(VertexPacking::packDirection({0, 0, 1}), 511u << 20);
    // -512 reads as -1, as GL clamps it.
    EXPECT_EQ(VertexPacking::unpackDirection(512u), vec3(-1, 0, 0));
    for (const vec3& none : {vec3(0.0f), vec3(Nan, 0, 1), vec3(1, Infinity, 0), vec3(0, 0, -Infinity)})
        EXPECT_EQ(VertexPacking::packDirection(none), 0u) << none.x << ", " << none.y << ", " << none.z;
}

TEST(VertexPacking, UnitValuesComeBackWithinHalfAStep) {
    for (float value : {0.0f, 1.0f, 0.5f, 1.0f / 3.0f, 0.999999f, 1e-7f, 0.123456f, 0.87654f}) {
        EXPECT_NEAR(VertexPacking::unpackUnit(VertexPacking::packUnit(value)), value, 0.5f / 65535.0f + 1e-7f) << value;
    }
    EXPECT_EQ(VertexPacking::packUnit(1.0f), 65535);
    EXPECT_EQ(VertexPacking::packUnit(0.0f), 0);
}

TEST(VertexPacking, OnlyValuesWithinZeroAndOneAreTakenAsUnit) {
    struct Case {
        std::vector<float> values;
        bool unit;
    };
    const Case cases[] = {{{0.0f, 1.0f, 0.25f, -0.0f}, true},
                          {{}, true},
                          {{0.5f, 1.0001f}, false},
                          {{-1e-9f, 0.5f}, false},
                          {{0.5f, Nan}, false},
                          {{Infinity}, false}};
    for (const Case& c : cases)
        EXPECT_EQ(VertexPacking::allUnit(c.values.data(), c.values.size()), c.unit) << c.values.size() << " values";
}
