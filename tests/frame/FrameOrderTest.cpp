// One frame's passes in order: environment refresh (one renderer, six faces), main,
// reflect, refract, particles, depth, composite; the refreshed renderer rotates.
#include "FrameDriver.h"
#include "GlCallRecorder.h"

#include "app/OffscreenFramebuffer.h"
#include "envmap/EnvironmentMapRenderer.h"
#include "envmap/IEnvironmentMapFramebuffer.h"
#include "scene/Importer.h"
#include "scene/SceneryObject.h"
#include "scene/ShaderRegistry.h"

#include <assimp/scene.h>

using namespace Quessel;
using Quessel::Test::DrawCall;
using Quessel::Test::PassRun;

namespace {

size_t drawableMeshes(const Importer& importer, const std::vector<aiNode*>& nodes) {
    size_t count = 0;
    for (const aiNode* node : nodes) {
        for (unsigned i = 0; i < node->mNumMeshes; ++i) count += importer.meshes[node->mMeshes[i]].faceCount > 0;
    }
    return count;
}

std::vector<aiNode*> nodesOf(const std::vector<SceneryObject*>& objects) {
    std::vector<aiNode*> nodes;
    for (SceneryObject* object : objects) nodes.push_back(object->getNode());
    return nodes;
}

struct Expected {
    GLuint framebuffer;
    GLuint program;
    size_t draws;
    const char* what;
};

void expectRuns(const std::vector<PassRun>& runs, const std::vector<Expected>& expected) {
    ASSERT_EQ(runs.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].what);
        EXPECT_EQ(runs[i].framebuffer, expected[i].framebuffer);
        EXPECT_EQ(runs[i].program, expected[i].program);
        EXPECT_EQ(runs[i].draws.size(), expected[i].draws);
    }
}

}  // namespace

TEST(FrameOrder, PassesRunInOrderAndRenderersTakeTurns) {
    Quessel::Test::FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    Demo& demo = driver.demo;
    Importer& importer = *demo.importer;
    ASSERT_EQ(demo.renderers.size(), 3u);
    ShaderRegistry& registry = ShaderRegistry::instance();
    const GLuint test = registry.get("test").program, reflect = registry.get("reflect").program,
                 refract = registry.get("refract").program, particle = registry.get("particle").program,
                 depth = registry.get("depth").program, motionblur = registry.get("motionblur").program;
    const GLuint color = demo.colorTarget->framebuffer;
    const std::vector<aiNode*> allNodes = importer.getNodes(ObjectKind::All);

    const int expectedRenderer[4] = {1, 2, 0, 1};
    for (int frame = 0; frame < 4; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame + 1));
        Quessel::Test::GlCallRecorder recorder;
        driver.frame(1.0 / 30.0);
        EXPECT_EQ(demo.rotationIndex, expectedRenderer[frame]);

        auto* renderer = dynamic_cast<EnvironmentMapRenderer*>(demo.renderers[expectedRenderer[frame]]);
        ASSERT_NE(renderer, nullptr);
        std::vector<Expected> expected;
        for (int face = 0; face < 6; ++face) {
            const GLuint target = renderer->framebuffer->getFramebuffer(face);
            expected.push_back({target, test, drawableMeshes(importer, renderer->otherNodes), "face scene"});
            expected.push_back(
                {target, reflect, drawableMeshes(importer, nodesOf(renderer->reflectiveObjects)), "face reflect"});
            const size_t refractive = drawableMeshes(importer, nodesOf(renderer->refractiveObjects));
            if (refractive > 0) expected.push_back({target, refract, refractive, "face refract"});
        }
        expected.push_back({color, test, drawableMeshes(importer, demo.otherNodes), "main pass"});
        expected.push_back({color, reflect, drawableMeshes(importer, nodesOf(demo.reflectiveObjects)), "reflect pass"});
        expected.push_back({color, refract, drawableMeshes(importer, nodesOf(demo.refractiveObjects)), "refract pass"});
        expected.push_back({color, particle, 2, "particle update and render"});
        expected.push_back({demo.depthTarget->framebuffer, depth, drawableMeshes(importer, allNodes), "depth pass"});
        expected.push_back({0, motionblur, 1, "composite"});
        const std::vector<PassRun> runs = recorder.runs();
        expectRuns(runs, expected);

        // The main pass draws no sphere; the particle pass updates all 1000, then renders.
        const PassRun& particles = runs[runs.size() - 3];
        ASSERT_EQ(particles.draws.size(), 2u);
        EXPECT_EQ(particles.draws[0].kind, DrawCall::Arrays);
        EXPECT_EQ(particles.draws[0].count, 1000);
        EXPECT_EQ(particles.draws[1].kind, DrawCall::TransformFeedback);
        EXPECT_EQ(runs.back().draws[0].count, 6);
    }
}
