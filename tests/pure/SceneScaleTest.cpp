// A brought scene at its own scale: framed whole from a raised three-quarter view with
// planes and flight speed that follow its size, lit by its own first light or by one that
// circles above it, its mirrors' cube maps taken from their meshes' middles, and the share
// of a frame it fills.
#include "TestScene.h"

#include "core/MemoryCeiling.h"
#include "math/Framing.h"
#include "scene/LightRecord.h"
#include "scene/NodeQuery.h"
#include "scene/ReflectionObject.h"
#include "scene/SceneBounds.h"
#include "scene/SceneLight.h"
#include "study/FrameCoverage.h"
#include "study/StudyControls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <new>

using namespace Quessel;
using Quessel::Test::makeNode;
using Quessel::Test::makeScene;
using Quessel::Test::translation;

namespace {
// A box of `side` units whose lowest corner sits at `corner`.
Bounds box(float side, const vec3& corner) {
    Bounds bounds;
    bounds.add(corner);
    bounds.add(corner + vec3(side, 0.6f * side, 0.8f * side));
    return bounds;
}

vec3 clip(const mat4& projection, const mat4& view, const vec3& point) {
    const vec4 p = projection * view * vec4(point, 1.0f);
    return vec3(p) / p.w;
}

// A mesh whose vertices are the eight corners of a box.
aiMesh* boxMesh(const vec3& low, const vec3& high) {
    aiMesh* mesh = Quessel::Test::makeTriangles(4);
    Bounds box;
    box.add(low);
    box.add(high);
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
        const vec3 at = box.corner(static_cast<int>(v % 8));
        mesh->mVertices[v] = aiVector3D(at.x, at.y, at.z);
    }
    return mesh;
}
}  // namespace

TEST(SceneScale, FramingSeesTheWholeBoxFromAboveWithPlanesAndSpeedOfItsSize) {
    for (const float side : {0.01f, 1.0f, 1000.0f}) {
        SCOPED_TRACE("a box of " + std::to_string(side));
        const Bounds bounds = box(side, vec3(3.0f * side, -7.0f * side, 2.0f * side));
        const Framing framing(bounds);
        const CameraPose pose = framing.view();
        const mat4 projection = framing.projection();
        EXPECT_GT(pose.position.y, bounds.max.y) << "raised";
        EXPECT_NEAR(framing.nearPlane() / side, Framing::NearShare * bounds.radius() / side, 1e-6f);
        EXPECT_NEAR(framing.farPlane() / framing.nearPlane(), Framing::FarShare / Framing::NearShare, 1.0f);
        float widest = 0.0f;
        for (int corner = 0; corner < 8; ++corner) {
            const vec3 ndc = clip(projection, pose.view, bounds.corner(corner));
            for (int axis = 0; axis < 3; ++axis) EXPECT_LT(std::abs(ndc[axis]), 1.0f) << "corner " << corner;
            widest = std::max({widest, std::abs(ndc.x), std::abs(ndc.y)});
        }
        EXPECT_GT(widest, 0.8f) << "the box fills the view";
        EXPECT_NEAR(framing.flightSpeed() * Framing::CrossingSeconds, 2.0f * bounds.radius(), 1e-3f * side);
    }
    // From wherever it looks: the same box along another direction stays in view.
    const Framing framing(box(2.0f, vec3(0.0f)));
    const vec3 centre = clip(framing.projection(), framing.view(vec3(1, -0.2f, 0)).view, framing.bounds.centre());
    EXPECT_NEAR(centre.x, 0.0f, 1e-5f);
    EXPECT_NEAR(centre.y, 0.0f, 1e-5f);
}

TEST(SceneScale, FreeFlightOfABroughtSceneFollowsItsSizeAndTheWheelAndFFramesItAgain) {
    const Framing framing(box(2000.0f, vec3(0.0f)));
    Camera camera;
    camera.init(vec3(1, 2, 3), vec3(0, 0, 0));
    Study::StudyControls controls(camera, 0, &framing);
    EXPECT_FLOAT_EQ(controls.freeCamera.speed, framing.flightSpeed());
    controls.scroll(2.0);
    EXPECT_FLOAT_EQ(controls.freeCamera.speed, framing.flightSpeed() * 1.5625f);
    controls.press(Study::StudyKey::Frame);
    EXPECT_TRUE(controls.freeFlight);
    const vec3 looking = controls.freeCamera.forward();
    const vec3 expected = framing.view(looking).position;
    EXPECT_LT(glm::distance(controls.freeCamera.position, expected), 1e-3f * 2000.0f);
}

TEST(SceneScale, ACirclingLightStaysAboveAndOutsideTheSceneAndLightsItsFarSideByHalf) {
    for (const float side : {0.02f, 2000.0f}) {
        const Bounds bounds = box(side, vec3(side, 0.0f, -side));
        SceneLight light(nullptr, bounds);
        ASSERT_EQ(light.kind, SceneLight::Kind::Circling);
        LightRecord record;
        for (int step = 0; step < 4; ++step) {
            light.update(step == 0 ? 0.0 : 0.9, record);
            const vec3 at(record.position[0], record.position[1], record.position[2]);
            EXPECT_GT(at.y, bounds.max.y);
            const vec3 fromCentre = at - bounds.centre();
            EXPECT_GT(glm::length(vec3(fromCentre.x, 0, fromCentre.z)), bounds.radius());
            // 1 + linear d + quadratic d^2 = 2 at the scene's far side, whatever the size.
            const float d = glm::length(fromCentre) + bounds.radius();
            EXPECT_NEAR(record.factors[0] * d + record.factors[1] * d * d, 1.0f, 0.01f);
        }
        EXPECT_NEAR(light.angle, SceneLight::StartAngle + 3 * 0.9 * SceneLight::TurnRate, 1e-9);
    }
}

TEST(SceneScale, AScenesOwnFirstLightIsUsedWhereItsNodePutsIt) {
    const Bounds bounds = box(10.0f, vec3(0.0f));
    const struct {
        aiLightSourceType type;
        SceneLight::Kind kind;
    } cases[] = {{aiLightSource_POINT, SceneLight::Kind::Point},
                 {aiLightSource_SPOT, SceneLight::Kind::Spot},
                 {aiLightSource_DIRECTIONAL, SceneLight::Kind::Directional}};
    for (const auto& c : cases) {
        aiNode* lamp = makeNode("Lamp");
        lamp->mTransformation = translation(1, 20, 3);
        std::unique_ptr<aiScene> scene(makeScene({}, {}, makeNode("root", {lamp})));
        scene->mNumLights = 2;
        scene->mLights = new aiLight*[2];
        // An ambient light comes first and is passed over.
        scene->mLights[0] = new aiLight();
        scene->mLights[0]->mType = aiLightSource_AMBIENT;
        scene->mLights[1] = new aiLight();
        aiLight& light = *scene->mLights[1];
        light.mType = c.type;
        light.mName = "Lamp";
        light.mPosition = aiVector3D(0, 1, 0);
        light.mDirection = aiVector3D(0, -1, 0);
        light.mColorDiffuse = aiColor3D(300, 150, 0);
        SceneLight chosen(scene.get(), bounds);
        EXPECT_EQ(chosen.kind, c.kind);
        EXPECT_EQ(chosen.colour, vec3(1.0f, 0.5f, 0.0f));
        LightRecord record;
        chosen.update(5.0, record);
        const vec3 at(record.position[0], record.position[1], record.position[2]);
        if (c.kind == SceneLight::Kind::Directional) {
            EXPECT_GT(at.y, bounds.centre().y + 5.0f * bounds.radius()) << "far off, against its direction";
            EXPECT_EQ(record.factors[0], 0.0f) << "without falloff";
        } else {
            EXPECT_EQ(at, vec3(1, 21, 3));
        }
    }
}

TEST(SceneScale, MirrorsTakeTheirCubeMapsFromTheMiddleOfTheirOwnMeshes) {
    aiNode* cube = makeNode("Cube", {}, {0});
    cube->mTransformation = translation(10, 0, 0);
    aiNode* sphere = makeNode("Sphere");
    std::unique_ptr<aiScene> scene(
        makeScene({boxMesh(vec3(4, 0, 0), vec3(6, 2, 2))}, {}, makeNode("root", {cube, sphere})));
    const Bounds own = SceneBounds::ofNode(scene.get(), cube);
    EXPECT_EQ(own.centre(), vec3(5, 1, 1));
    // An empty slot among the children, as a broken file's importer leaves one, is passed over.
    scene->mRootNode->mChildren[1] = nullptr;
    EXPECT_EQ(SceneBounds::drawn(scene.get()).centre(), vec3(15, 1, 1));
    scene->mRootNode->mChildren[1] = sphere;
    // A dome around everything else is a backdrop the framing leaves out; a big box beside
    // the rest, or one around it without room to spare, is not.
    const struct {
        vec3 low, high;
        bool backdrop;
    } others[] = {{vec3(-10), vec3(10), true}, {vec3(2), vec3(12), false}, {vec3(-0.2f), vec3(1.2f), false}};
    for (const auto& other : others) {
        std::unique_ptr<aiScene> domed(
            makeScene({boxMesh(vec3(0), vec3(1)), boxMesh(other.low, other.high)}, {},
                      makeNode("root", {makeNode("Inner", {}, {0}), makeNode("Big", {}, {1})})));
        const Bounds all = SceneBounds::drawn(domed.get());
        EXPECT_EQ(SceneBounds::framed(domed.get()).size(), other.backdrop ? vec3(1) : all.size()) << other.high.x;
    }
    ReflectionObject object(cube);
    EXPECT_EQ(object.getPosition(true), vec3(10, 0, 0));
    object.setCentre(own.centre());
    EXPECT_EQ(object.getPosition(true), vec3(15, 1, 1));
    // The demo's names come first, the scene's after them, each node once.
    const NodeRoles roles{{"Cube", "Sphere"}, {}};
    const std::vector<aiNode*> reflective = NodeQuery::nodes(scene->mRootNode, ObjectKind::Reflective, roles);
    ASSERT_EQ(reflective.size(), 2u);
    EXPECT_STREQ(reflective[0]->mName.C_Str(), "Sphere");
    EXPECT_EQ(reflective[1], cube);
    EXPECT_EQ(NodeQuery::nodes(scene->mRootNode, ObjectKind::Other, roles).size(), 1u) << "the root alone";
}

TEST(SceneScale, CoverageIsTheShareTheDepthPassDrewAndItsBrightness) {
    // Four pixels: one cleared, one rounded the other way, two drawn (one white, one black).
    RgbImage depth{4, 1, {0, 204, 230, 0, 205, 229, 10, 20, 30, 1, 2, 3}};
    const RgbImage colour{4, 1, {9, 9, 9, 9, 9, 9, 255, 255, 255, 0, 0, 0}};
    const Study::FrameCoverage coverage = Study::FrameCoverage::of(depth, {0, 204, 230}, colour);
    EXPECT_DOUBLE_EQ(coverage.share, 0.5);
    EXPECT_NEAR(coverage.brightness, 127.5, 0.01);
}

#ifndef __SANITIZE_ADDRESS__
// The address sanitizer reserves its own memory up front and ends the process on a failed
// allocation, so the cap is only tried without it.
TEST(SceneScale, AMemoryCeilingFailsAnAllocationBeyondItUntilItIsLifted) {
    constexpr size_t Large = size_t(1) << 30;
    // Called, not a new-expression, so the compiler cannot leave it out.
    const auto allocate = [] { ::operator delete(::operator new(Large)); };
    {
        const MemoryCeiling ceiling(Large / 4);
        ASSERT_TRUE(ceiling.active());
        EXPECT_THROW(allocate(), std::bad_alloc);
    }
    EXPECT_NO_THROW(allocate());
    EXPECT_GT(MemoryCeiling::budget(), size_t(0));
}
#endif
