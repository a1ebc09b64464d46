// The per-face camera of the environment-map pass.
#include "envmap/TextureBoxRenderer.h"
#include "scene/IScene.h"

#include <gtest/gtest.h>

using namespace Quessel;

namespace {
// The renderer only asks the scene for its IRender when constructed.
class NoScene : public IScene {
public:
    std::vector<SceneryObject*> getObjects(ObjectKind) override { return {}; }
    std::vector<aiNode*> getNodes(ObjectKind) override { return {}; }
    IRender* getRender() override { return nullptr; }
};

void expectNear(const mat4& actual, const mat4& expected, float tolerance) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(actual[i][j], expected[i][j], tolerance) << "column " << i << " row " << j;
}
}  // namespace

TEST(FaceMath, ProjectionIsNinetyDegreesFromNearTenthToFarThousand) {
    NoScene scene;
    TextureBoxRenderer renderer(0, 0, 0, 0, 0, &scene, nullptr, {});
    // The same frustum from glm: a quarter turn square, near 0.1, far 1000.
    expectNear(renderer.faceProjection(), glm::perspective(glm::radians(90.0f), 1.0f, 0.1f, 1000.0f), 1e-6f);
}

TEST(FaceMath, FaceViewsLookAlongTheCubeAxesWithCubeMapUpVectors) {
    const vec3 directions[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    const vec3 ups[6] = {{0, -1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}, {0, -1, 0}, {0, -1, 0}};
    for (int face = 0; face < 6; ++face) {
        SCOPED_TRACE(face);
        EXPECT_EQ(TextureBoxRenderer::faceDirection(face), directions[face]);
        const mat4 view = TextureBoxRenderer::faceView(face);
        expectNear(view, glm::lookAt(vec3(0.0f), directions[face], ups[face]), 1e-6f);
        const vec4 ahead = view * vec4(directions[face], 1.0f);
        EXPECT_NEAR(ahead.z, -1.0f, 1e-6f);
    }
}
