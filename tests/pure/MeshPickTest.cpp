// The mesh under the mouse in a brought scene: the ray through a pixel, the nearest box it
// enters, and the material line the overlay shows.
#include "look/SurfaceMaterial.h"
#include "study/MeshPick.h"

#include <gtest/gtest.h>

using namespace Quessel;
using Quessel::Study::MeshPick;

namespace {
MeshPlace place(const char* node, unsigned mesh, vec3 min, vec3 max) {
    MeshPlace p{node, mesh, {}};
    p.box.add(min);
    p.box.add(max);
    return p;
}
}  // namespace

TEST(MeshPick, TheRayEntersTheNearestBoxItMeets) {
    const std::vector<MeshPlace> meshes = {place("near", 0, {-1, -1, -6}, {1, 1, -4}),
                                           place("far", 1, {-1, -1, -12}, {1, 1, -10}),
                                           place("aside", 2, {5, -1, -3}, {7, 1, -2}),
                                           place("flat", 3, {-1, 3, -9}, {1, 3, -7})};
    const struct {
        const char* label;
        MeshPick::Ray ray;
        int expected;
    } rows[] = {
        {"straight ahead: the near box hides the far one", {{0, 0, 0}, {0, 0, -1}}, 0},
        {"from inside the far box: that one", {{0, 0, -11}, {0, 0, -1}}, 1},
        {"behind the camera: not seen", {{0, 0, -20}, {0, 0, -1}}, -1},
        {"past every box", {{0, 10, 0}, {0, 0, -1}}, -1},
        {"sideways", {{0, 0, -2.5f}, {1, 0, 0}}, 2},
        {"a box with no height, met from above", {{0, 10, -8}, {0, -1, 0}}, 3},
    };
    for (const auto& row : rows) EXPECT_EQ(MeshPick::nearest(meshes, row.ray), row.expected) << row.label;
}

TEST(MeshPick, TheMiddlePixelLooksWhereTheCameraLooksAndTheCornerOffIt) {
    const mat4 projection = glm::perspective(1.0f, 1280.0f / 768.0f, 0.1f, 100.0f);
    const mat4 view = glm::lookAt(vec3(3, 2, 5), vec3(0, 0, 0), vec3(0, 1, 0));
    const MeshPick::Ray middle = MeshPick::through(projection, view, 639.5, 383.5, 1280, 768);
    EXPECT_NEAR(glm::distance(middle.direction, glm::normalize(vec3(-3, -2, -5))), 0.0f, 1e-4f);
    EXPECT_NEAR(glm::distance(middle.origin, vec3(3, 2, 5)), 0.1f, 0.02f);
    // The top-left pixel looks up and to the left of the middle.
    const MeshPick::Ray corner = MeshPick::through(projection, view, 0.0, 0.0, 1280, 768);
    const vec3 right = glm::normalize(glm::cross(middle.direction, vec3(0, 1, 0)));
    EXPECT_LT(glm::dot(corner.direction, right), -0.3f);
    EXPECT_GT(corner.direction.y, middle.direction.y + 0.2f);
}

TEST(MeshPick, TheMaterialLineNamesItsValuesAndTextures) {
    SurfaceMaterial m;
    m.name = "Paint";
    m.baseColor = {0.8f, 0.1f, 0.2f, 0.5f};
    m.metallic = 1.0f;
    m.roughness = 0.25f;
    m.alpha = SurfaceMaterial::Alpha::Mask;
    m.alphaCutoff = 0.3f;
    m.normalTexture = {"bumps.png", 1};
    EXPECT_EQ(MeshPick::describe(place("Body", 4, {0, 0, 0}, {1, 1, 1}), m),
              "\"Body\" mesh 4: \"Paint\" base (0.80, 0.10, 0.20, 0.50), metallic 1.00, roughness 0.25, emissive "
              "(0.00, 0.00, 0.00), mask 0.30, double-sided, normal bumps.png (UV1)");
    EXPECT_NE(MeshPick::describe(place("Body", 4, {0, 0, 0}, {1, 1, 1}), SurfaceMaterial::neutralGrey())
                  .find("no material of its own"),
              std::string::npos);
}
