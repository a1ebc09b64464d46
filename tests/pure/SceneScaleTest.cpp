// A brought scene at its own scale: framed whole from a raised three-quarter view with
// planes and flight speed that follow its size, lit by its own first light or by one that
// circles above it, its mirrors' cube maps taken from their meshes' middles, and the share
// of a frame it fills; a scene of any size anywhere placed where floats draw it, and the
// memory budget judged from what a file declares.
#include "TestScene.h"

#include "fit/MemoryBudget.h"
#include "paths/PlacedPath.h"
#include "core/MemoryCeiling.h"
#include "math/Framing.h"
#include "math/Placement.h"
#include "scene/LightRecord.h"
#include "fit/ImportEstimate.h"
#include "scene/NodeQuery.h"
#include "fit/PlacedScene.h"
#include "scene/ReflectionObject.h"
#include "fit/SceneBounds.h"
#include "fit/SceneFitting.h"
#include "fit/SceneLight.h"
#include "study/FrameCoverage.h"
#include "study/StudyControls.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
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
    SceneFitting fitting;
    fitting.ownScale = true;
    fitting.framing = framing;
    Study::StudyControls controls(camera, 0, fitting);
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
}
#endif

namespace {
// The scene's own box, placed as a tool places it; nothing (and why) when it cannot be.
std::optional<Placement> place(const aiScene* scene, std::string& why) {
    const std::optional<Placement> placement = Placement::of(SceneBounds::framedInScene(scene), why);
    if (placement) PlacedScene::apply(scene, *placement);
    return placement;
}
}  // namespace

TEST(SceneScale, ASceneOfAnySizeAnywhereIsDrawnAtTheDemosSizeWithItsPointsExact) {
    const struct {
        double side, at;  // the cube's side, and how far its node stands along x
    } cases[] = {{1.0, 0.0}, {1e-12, 0.0}, {1e-4, 0.0}, {1e10, 0.0}, {1e30, 0.0}, {3e38, 0.0}, {1.0, 1e9}, {1e-4, 1e7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "a cube of " << c.side << " at " << c.at);
        const float side = static_cast<float>(c.side);
        aiNode* cube = makeNode("Cube", {}, {0});
        cube->mTransformation = translation(static_cast<float>(c.at), 0, 0);
        std::unique_ptr<aiScene> scene(makeScene({boxMesh(vec3(0), vec3(side))}, {}, makeNode("root", {cube})));
        std::string why;
        const std::optional<Placement> placement = place(scene.get(), why);
        ASSERT_TRUE(placement) << why;
        const Framing framing(SceneBounds::framed(scene.get()));
        // Drawn near the demo's own courtyard, around the origin when it lies far from it.
        EXPECT_NEAR(std::log2(framing.radius() / Framing::ReferenceRadius), 0.0, c.side == 1.0 ? 5.1 : 0.51);
        EXPECT_LE(glm::length(framing.bounds.centre()), 2.0f * framing.radius());
        const CameraPose pose = framing.view();
        for (int corner = 0; corner < 8; ++corner) {
            const vec3 ndc = clip(framing.projection(), pose.view, framing.bounds.corner(corner));
            for (int axis = 0; axis < 3; ++axis) EXPECT_LT(std::abs(ndc[axis]), 1.0f) << "corner " << corner;
        }
        // Every corner of the data comes back exactly; the scale stays out of the nodes'
        // turn and stretch, whose square and cube the normals and glass would need.
        const aiMesh* mesh = scene->mMeshes[0];
        EXPECT_EQ(vec3(mesh->mVertices[7].x, mesh->mVertices[7].y, mesh->mVertices[7].z) / float(placement->scale),
                  vec3(side));
        EXPECT_EQ(placement->toScene(framing.bounds.min), vec3(dvec3(c.at, 0.0, 0.0)));
        EXPECT_EQ(placement->toScene(framing.bounds.max), vec3(dvec3(c.at + c.side, c.side, c.side)));
        EXPECT_EQ(scene->mRootNode->mTransformation.a1, 1.0f);
        EXPECT_EQ(cube->mTransformation.a1, 1.0f);
        // Lit as the demo lights its own: half the light at the far side.
        SceneLight light(scene.get(), framing.bounds);
        LightRecord record;
        light.update(0.0, record);
        const float d = glm::distance(light.position(), framing.bounds.centre()) + framing.bounds.radius();
        EXPECT_NEAR(record.factors[0] * d + record.factors[1] * d * d, 1.0f, 0.01f);
    }
    // Ordinary sizes near the origin are drawn in their own coordinates, as they always were.
    WideBounds ordinary;
    ordinary.add(dvec3(0.8, 0.0, 0.0));
    ordinary.add(dvec3(0.82, 0.02, 0.02));
    std::string why;
    EXPECT_FALSE(Placement::of(ordinary, why)->moves());
}

TEST(SceneScale, ABoxFloatsCannotDrawIsRefusedWithWhy) {
    const struct {
        vec3 low, high;
        float nodeScale;
        const char* why;
    } cases[] = {{vec3(1e9f), vec3(1e9f + 1.0f), 1.0f, "all its vertices lie at one point"},
                 {vec3(0), vec3(1e-35f), 1.0f, "below the 1e-30 that floats can draw"},
                 {vec3(0), vec3(1e30f), 1e30f, "reaches past what floats hold"},
                 {vec3(NAN), vec3(NAN), 1.0f, "none of its vertices has finite coordinates"}};
    for (const auto& c : cases) {
        aiNode* node = makeNode("Thing", {}, {0});
        node->mTransformation = aiMatrix4x4(c.nodeScale, 0, 0, 0, 0, c.nodeScale, 0, 0, 0, 0, c.nodeScale, 0, 0, 0, 0, 1);
        aiMesh* mesh = boxMesh(c.low, c.high);
        for (unsigned v = 0; std::isnan(c.low.x) && v < mesh->mNumVertices; ++v) mesh->mVertices[v] = aiVector3D(NAN);
        std::unique_ptr<aiScene> scene(makeScene({mesh}, {}, makeNode("root", {node})));
        std::string why;
        EXPECT_FALSE(Placement::of(SceneBounds::framedInScene(scene.get()), why)) << c.why;
        EXPECT_NE(why.find(c.why), std::string::npos) << why;
    }
}

TEST(SceneScale, PathsAndTheDemosLightKeepTheScenesOwnCoordinates) {
    std::string why;
    WideBounds far;
    far.add(dvec3(1e7, 0, 0));
    far.add(dvec3(1e7 + 1, 1, 1));
    const Placement placement = *Placement::of(far, why);
    ASSERT_TRUE(placement.moves());
    CameraPath::Script own;
    own.start = vec3(1e7f + 3, 2, 3);
    own.startTarget = vec3(1e7f, 0, 0);
    own.addAimedMove(2.0f, own.start, vec3(1e7f - 3, 2, 3), vec3(1e7f + 1, 1, 1));
    own.add(CameraPath::Kind::Turn, 1.0f, vec3(1, 0, 0), vec3(0, 0, 1));
    const CameraPath::Script drawn = PlacedPath::drawn(own, placement);
    for (const vec3& point : {drawn.start, drawn.startTarget, drawn.rows[0].to, drawn.rows[0].target})
        EXPECT_LT(glm::length(point), 10.0f) << "drawn near the origin";
    EXPECT_EQ(drawn.rows[1].to, own.rows[1].to) << "a turn's directions stay";
    const CameraPath::Script back = PlacedPath::inScene(drawn, placement);
    EXPECT_EQ(back.start, own.start);
    EXPECT_EQ(back.startTarget, own.startTarget);
    EXPECT_EQ(back.rows[0].target, own.rows[0].target);
    EXPECT_EQ(PlacedPath::rowInScene(drawn.rows[0], placement).to, own.rows[0].to);

    // The demo's light in a far scene drawn at 2^-13 of its size: where it is drawn, falling off
    // over the same share of the scene.
    WideBounds large;
    large.add(dvec3(1e9, 0, 0));
    large.add(dvec3(1e9 + 2e5, 2e5, 2e5));
    const Placement quarter = *Placement::of(large, why);
    ASSERT_EQ(quarter.scale, std::exp2(-13.0));
    ASSERT_NE(quarter.centre, dvec3(0.0));
    LightRecord own4;
    own4.setFromTranslation(1e9f + 4096, 0, 0);
    // Its node's translation as the placed scene holds it.
    LightRecord record;
    record.setFromTranslation((1e9f + 4096) * static_cast<float>(quarter.scale), 0, 0);
    record.place(quarter);
    EXPECT_EQ(vec3(record.position[0], record.position[1], record.position[2]), quarter.toDrawn(vec3(1e9f + 4096, 0, 0)));
    const float drawnD = 100.0f * static_cast<float>(quarter.scale);
    EXPECT_FLOAT_EQ(record.factors[0] * drawnD + record.factors[1] * drawnD * drawnD,
                    own4.factors[0] * 100.0f + own4.factors[1] * 100.0f * 100.0f);
}

TEST(SceneScale, TheMemoryBudgetJudgesAFileByWhatItDeclaresAndCountsCubeMaps) {
    const uint64_t GiB = uint64_t(1) << 30;
    std::string stl(84, '\0');
    const uint32_t triangles = 1000;
    std::memcpy(&stl[80], &triangles, 4);
    const struct {
        std::string head;
        uint64_t size;
        const char* extension;
        uint64_t vertices, faces;  // as declared; both 0: judged from the size
    } cases[] = {
        {"ply\nformat ascii 1.0\ncomment 9 9\nelement vertex 8\nproperty float x\nelement face 12\nend_header\n", 500,
         ".PLY", 8, 12},
        {"ply\nformat binary_little_endian 1.0\nelement vertex 18000000\nelement face 36000000\nend_header\n", 700000000,
         ".ply", 18000000, 36000000},
        {"OFF # a comment\n# another\n3000000000 1 0\n", 30, ".off", 3000000000u, 1},
        {stl, 84 + 50 * 1000, ".stl", 3000, 1000},
        {stl, 84 + 50 * 999, ".stl", 0, 0},
        {"v 0 0 0\n", 60000000, ".obj", 0, 0},
        {"ply\nelement vertex 99999999999999999999999\nend_header\n", 100, ".ply", UINT64_MAX, 0},
    };
    for (const auto& c : cases) {
        const ImportEstimate estimate = ImportEstimate::of(c.head, c.size, c.extension);
        SCOPED_TRACE(estimate.basis);
        const uint64_t expected =
            c.vertices == UINT64_MAX ? UINT64_MAX
            : c.vertices + c.faces == 0
                ? c.size * ImportEstimate::BytesPerFileByte
                : c.vertices * ImportEstimate::BytesPerVertex + c.faces * ImportEstimate::BytesPerFace;
        EXPECT_EQ(estimate.bytes, expected);
    }
    // 36 million shared triangles, as measured for a brought scene's import: about 5.4 GiB,
    // within a 24 GB machine's budget; with 200 cube maps (5.1 GiB) not within 9 GiB.
    const ImportEstimate big = ImportEstimate::of(cases[1].head, cases[1].size, ".ply");
    const struct {
        uint64_t budget;
        size_t cubeMaps;
        bool fits;
    } decisions[] = {{17 * GiB, 0, true}, {6 * GiB, 0, true}, {5 * GiB, 0, false}, {9 * GiB, 200, false}};
    for (const auto& d : decisions)
        EXPECT_EQ(MemoryBudget(d.budget).refusal("big.ply", big, d.cubeMaps).empty(), d.fits)
            << d.budget / GiB << " GiB, " << d.cubeMaps << " cube maps";
    const std::string refused = MemoryBudget(9 * GiB).refusal("big.ply", big, 200);
    EXPECT_NE(refused.find("the scene big.ply needs about 5.4 GiB to import (its PLY header declares 18000000 "
                           "vertices and 36000000 faces) and 5.1 GiB for the cube maps of its 200 mirror and glass "
                           "objects (26 MiB each), more than the 9.0 GiB"),
              std::string::npos)
        << refused;
    EXPECT_NE(MemoryBudget(GiB).refusal("x.obj", ImportEstimate{0, ""}, 40), "") << "cube maps alone";
    EXPECT_EQ(MemoryBudget(GiB).forImport(4), GiB - 4 * MemoryBudget::cubeMapBytes(1));
    EXPECT_GT(MemoryCeiling::budget(), size_t(0));
}
