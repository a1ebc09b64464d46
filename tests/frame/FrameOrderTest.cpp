// One frame's passes in order: environment refresh (one renderer, six faces), main,
// reflect, refract, particles, depth, composite; the refreshed renderer rotates. Every
// frame is that one function: the study tool's held and flown frames run the same passes
// around a camera the path does not move, and a still frame redraws every cube map.
#include "FrameDriver.h"
#include "GlCallRecorder.h"

#include "app/OffscreenFramebuffer.h"
#include "fit/DemoScene.h"
#include "harness/DemoHost.h"
#include "core/GlConstants.h"
#include "core/RgbImage.h"
#include "envmap/EnvironmentMapRenderer.h"
#include "envmap/IEnvironmentMapFramebuffer.h"
#include "math/Camera.h"
#include "particles/ParticleSystem.h"
#include "scene/Importer.h"
#include "scene/NodeQuery.h"
#include "scene/SceneryObject.h"
#include "scene/ShaderRegistry.h"
#include "study/StudyControls.h"

#include <assimp/scene.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

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

// The awkward scene brought as a tool brings it, its egg a mirror.
std::unique_ptr<DemoHost> openWithMirroredEgg(const LookOptions& look) {
    Quessel::Test::standardPrograms();
    SetupFailure failure;
    auto host = DemoHost::openIn(Quessel::Test::glWindow(),
                                 DemoScene::forTool(QUESSEL_AWKWARD_SCENE, {"Egg"}, {}, look), failure);
    EXPECT_TRUE(host) << failure.message;
    return host;
}

struct Expected {
    GLuint framebuffer;
    GLuint program;
    size_t draws;
    const char* what;
};

// The runs of a frame that redraws the cube maps of `refreshed` (renderer indices, in order).
std::vector<Expected> expectedRuns(const Demo& demo, const std::vector<int>& refreshed) {
    const DemoParts& parts = demo.parts();
    const Importer& importer = *parts.importer;
    ShaderRegistry& registry = *importer.registry;
    const GLuint test = registry.get("test").program, reflect = registry.get("reflect").program,
                 refract = registry.get("refract").program, particle = registry.get("particle").program,
                 depth = registry.get("depth").program, motionblur = registry.get("motionblur").program;
    std::vector<Expected> expected;
    for (int index : refreshed) {
        const auto* renderer = dynamic_cast<const EnvironmentMapRenderer*>(parts.renderers[index].get());
        for (int face = 0; face < 6; ++face) {
            const GLuint target = renderer->framebuffer->getFramebuffer(face);
            expected.push_back({target, test, drawableMeshes(importer, renderer->otherNodes), "face scene"});
            expected.push_back(
                {target, reflect, drawableMeshes(importer, nodesOf(renderer->reflectiveObjects)), "face reflect"});
            const size_t refractive = drawableMeshes(importer, nodesOf(renderer->refractiveObjects));
            if (refractive > 0) expected.push_back({target, refract, refractive, "face refract"});
        }
    }
    const GLuint color = parts.colorTarget->framebuffer;
    expected.push_back({color, test, drawableMeshes(importer, parts.otherNodes), "main pass"});
    expected.push_back({color, reflect, drawableMeshes(importer, nodesOf(parts.reflectiveObjects)), "reflect pass"});
    expected.push_back({color, refract, drawableMeshes(importer, nodesOf(parts.refractiveObjects)), "refract pass"});
    expected.push_back({color, particle, 2, "particle update and render"});
    expected.push_back({parts.depthTarget->framebuffer, depth,
                        drawableMeshes(importer, parts.importer->getNodes(ObjectKind::All)), "depth pass"});
    expected.push_back({0, motionblur, 1, "composite"});
    return expected;
}

void expectRuns(const std::vector<PassRun>& runs, const std::vector<Expected>& expected) {
    ASSERT_EQ(runs.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].what);
        EXPECT_EQ(runs[i].framebuffer, expected[i].framebuffer);
        EXPECT_EQ(runs[i].program, expected[i].program);
        EXPECT_EQ(runs[i].draws.size(), expected[i].draws);
    }
}

// A frame as planned, with the runs of its draws.
std::vector<PassRun> recordedFrame(Quessel::FrameDriver& driver, const FramePlan& plan) {
    Quessel::Test::GlCallRecorder recorder;
    driver.frame(plan);
    return recorder.runs();
}

}  // namespace

TEST(FrameOrder, PassesRunInOrderAndRenderersTakeTurns) {
    Quessel::Test::FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    Demo& demo = driver.demo;
    ASSERT_EQ(demo.parts().renderers.size(), 3u);

    const int expectedRenderer[4] = {1, 2, 0, 1};
    for (int frame = 0; frame < 4; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame + 1));
        const std::vector<PassRun> runs = recordedFrame(driver, FramePlan::running(1.0 / 30.0));
        EXPECT_EQ(demo.parts().rotationIndex, expectedRenderer[frame]);
        EXPECT_EQ(demo.view().refreshed(), expectedRenderer[frame]);
        expectRuns(runs, expectedRuns(demo, {expectedRenderer[frame]}));

        // The main pass draws no sphere; the particle pass updates all 1000, then renders.
        const PassRun& particles = runs[runs.size() - 3];
        ASSERT_EQ(particles.draws.size(), 2u);
        EXPECT_EQ(particles.draws[0].kind, DrawCall::Arrays);
        EXPECT_EQ(particles.draws[0].count, 1000);
        EXPECT_EQ(particles.draws[1].kind, DrawCall::TransformFeedback);
        EXPECT_EQ(runs.back().draws[0].count, 6);
    }

    // A still frame redraws every cube map from the next one on and leaves the rotation.
    FramePlan still = FramePlan::running(0.0);
    still.refresh = FramePlan::Refresh::Every;
    expectRuns(recordedFrame(driver, still), expectedRuns(demo, {2, 0, 1}));
    EXPECT_EQ(demo.parts().rotationIndex, 1);
}

TEST(FrameOrder, HeldAndFlownFramesRunTheSamePassesAroundACameraThePathDoesNotMove) {
    Quessel::Test::FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    Demo& demo = driver.demo;
    const DemoParts& parts = demo.parts();
    const aiNode* light = NodeQuery::find(parts.importer->scene->mRootNode, "PointLight1");
    ASSERT_NE(light, nullptr);
    // Cube-map rotation, clock, smoke, path row, time into it, the light's x.
    const auto moving = [&] {
        return std::make_tuple(parts.rotationIndex, driver.clock(), parts.particles->time, demo.view().path().step,
                               demo.view().camera().pathTime, light->mTransformation.a4);
    };
    // Into the first move, so the path's last frame carries motion blur.
    driver.frame(1.0);
    driver.frame(1.0 / 30.0);

    // The plans the study tool makes: paused, then flying.
    Study::StudyControls controls(demo.camera(), static_cast<int>(demo.view().mirrors().size()));
    controls.press(Study::StudyKey::Pause);
    const auto before = moving();
    expectRuns(recordedFrame(driver, controls.plan(0.1)), expectedRuns(demo, {}));
    const RgbImage first = RgbImage::readWindow(ScreenWidth, ScreenHeight);
    driver.frame(controls.plan(0.1));
    EXPECT_TRUE(moving() == before) << "a held frame moved something";
    EXPECT_TRUE(RgbImage::readWindow(ScreenWidth, ScreenHeight).pixels == first.pixels) << "two held frames differ";
    EXPECT_EQ(demo.view().camera().previousView, demo.view().camera().view) << "a held frame blurs";
    EXPECT_EQ(demo.view().refreshed(), -1);

    controls.press(Study::StudyKey::FreeCamera);
    controls.press(Study::StudyKey::Step);
    Study::HeldKeys forward;
    forward.forward = true;
    controls.fly(forward, 0.5);
    const FramePlan flown = controls.plan(0.1);
    const mat4 viewBefore = demo.view().camera().view;
    const int next = (std::get<0>(before) + 1) % static_cast<int>(parts.renderers.size());
    expectRuns(recordedFrame(driver, flown), expectedRuns(demo, {next}));
    const auto [rotation, clock, smoke, row, rowTime, lightX] = moving();
    EXPECT_EQ(rotation, next);
    EXPECT_DOUBLE_EQ(clock, std::get<1>(before) + 1.0 / 30.0) << "the clock moves by the step, once";
    EXPECT_FLOAT_EQ(smoke, static_cast<float>(clock)) << "the smoke is drawn at the clock's time";
    EXPECT_EQ(std::make_tuple(row, rowTime), std::make_tuple(std::get<3>(before), std::get<4>(before)))
        << "a flown frame moved the path";
    EXPECT_NE(lightX, std::get<5>(before));
    EXPECT_EQ(demo.view().camera().view, flown.pose.view);
    EXPECT_EQ(demo.view().camera().position, flown.pose.position);
    EXPECT_EQ(demo.view().camera().previousView, viewBefore) << "the flight's blur does not start from the frame before";

    // Flying on while paused: nothing but the camera moves, and it blurs from the frame drawn.
    controls.fly(forward, 0.5);
    const auto still = moving();
    driver.frame(controls.plan(0.1));
    EXPECT_TRUE(moving() == still);
    EXPECT_EQ(demo.view().camera().previousView, flown.pose.view);
}

// A brought scene is drawn with its own look, in the window and in every cube-map face:
// the demo's scene program draws nothing of it, and without --smoke there is no smoke;
// with it, the smoke rises from the node's middle.
TEST(FrameOrder, ABroughtSceneIsDrawnWithItsLookAndSmokesOnlyWhereAsked) {
    for (const std::string smoke : {"", "Egg"}) {
        SCOPED_TRACE("--smoke " + smoke);
        LookOptions look;
        look.smoke = smoke;
        const auto host = openWithMirroredEgg(look);
        ASSERT_TRUE(host);
        Demo& demo = host->demo();
        ASSERT_TRUE(demo.parts().look);
        ShaderRegistry& registry = *demo.parts().importer->registry;
        const GLuint test = registry.get("test").program, particle = registry.get("particle").program;
        Quessel::FrameDriver driver(demo);
        const std::vector<PassRun> runs = recordedFrame(driver, FramePlan::running(1.0 / 30.0));
        size_t lookDraws = 0, particleRuns = 0;
        for (const PassRun& run : runs) {
            EXPECT_NE(run.program, test) << "the demo's scene program drew into framebuffer " << run.framebuffer;
            particleRuns += run.program == particle;
            if (run.framebuffer == demo.parts().colorTarget->framebuffer && run.program != particle)
                lookDraws += run.draws.size();
        }
        EXPECT_GT(lookDraws, 0u);
        EXPECT_EQ(particleRuns, smoke.empty() ? 0u : 1u);
        if (!smoke.empty()) {
            const SceneFitting& fitting = demo.view().fitting();
            ASSERT_TRUE(fitting.smoke);
            EXPECT_EQ(demo.parts().particles->emitterPosition, *fitting.smoke);
            // The egg mirrors too: its extent's centre is the middle of its mesh.
            float nearest = 1e9f;
            for (const ObjectExtent& object : fitting.objects)
                nearest = std::min(nearest, glm::distance(*fitting.smoke, object.centre));
            EXPECT_LT(nearest, 1e-3f);
        }
    }
}

// With its own look a brought scene keeps one set of meshes: the demo's are made only for
// what reflects, and the depth pass, drawn from the look's meshes, leaves the motion blur
// the same depths the demo's meshes give under --look demo.
TEST(FrameOrder, ABroughtSceneKeepsOneMeshSetAndItsDepthsAreTheDemoMeshes) {
    std::vector<bool> mirrorMeshes;
    // Per look, the importer's images kept that no built mesh holds, and those kept at all.
    std::map<std::string, std::pair<size_t, size_t>> images;
    const auto frameDepth = [&](const std::string& lookName, std::vector<bool>& built) {
        LookOptions look;
        look.look = lookName;
        const auto host = openWithMirroredEgg(look);
        if (!host) return RgbImage{};
        Demo& demo = host->demo();
        Importer& importer = *demo.parts().importer;
        for (const MeshRecord& mesh : importer.meshes) built.push_back(mesh.vertexArray != 0);
        mirrorMeshes = importer.meshesOf({ObjectKind::Reflective, ObjectKind::Refractive});
        std::set<GLuint> held;
        for (const MeshRecord& mesh : importer.meshes)
            if (mesh.vertexArray) held.insert({mesh.texture, mesh.normalTexture});
        for (const auto* loaded : {&importer.textures, &importer.normalMaps})
            for (const auto& [name, texture] : *loaded) {
                images[lookName].first += texture && !held.count(texture);
                images[lookName].second += texture != 0;
            }
        Quessel::FrameDriver driver(demo);
        // Still frames: the camera singleton outlives the first host, its place must not move.
        for (int frame = 0; frame < 3; ++frame) driver.frame(FramePlan::running(0.0));
        return RgbImage::readTexture(demo.view().depthTarget());
    };
    std::vector<bool> ownBuilt, demoBuilt;
    const RgbImage own = frameDepth("own", ownBuilt);
    const RgbImage demoShaded = frameDepth("demo", demoBuilt);
    ASSERT_FALSE(own.pixels.empty());
    EXPECT_EQ(own.pixels, demoShaded.pixels);
    // Something of the scene is in the depth target, not only its clear colour.
    const auto pixel = [&own](size_t i) { return std::tie(own.pixels[i], own.pixels[i + 1], own.pixels[i + 2]); };
    size_t scene = 0;
    for (size_t i = 0; i < own.pixels.size(); i += 3) scene += pixel(i) != pixel(0);
    EXPECT_GT(scene, own.pixels.size() / 300);

    EXPECT_EQ(ownBuilt, mirrorMeshes);
    // The look decodes its own images: the importer keeps only what its meshes hold.
    EXPECT_EQ(images["own"].first, 0u);
    EXPECT_GT(images["demo"].second, images["own"].second);
    EXPECT_EQ(std::count(demoBuilt.begin(), demoBuilt.end(), true), static_cast<long>(demoBuilt.size()));
    EXPECT_LT(std::count(ownBuilt.begin(), ownBuilt.end(), true), static_cast<long>(ownBuilt.size()));
}
