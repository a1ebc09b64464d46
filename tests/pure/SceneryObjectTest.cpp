// Objects wrapping scene nodes: the per-kind cache, transforms to the root, light records.
#include "TestScene.h"

#include "scene/LightObject.h"
#include "scene/ObjectCache.h"
#include "scene/ReflectionObject.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace Quessel;
using Quessel::Test::makeNode;
using Quessel::Test::translation;

namespace {

// The usual Z-up to Y-up turn of an exported root: -90 degrees about X.
aiMatrix4x4 zUpToYUp() {
    aiMatrix4x4 m;
    aiMatrix4x4::RotationX(static_cast<float>(-M_PI / 2), m);
    return m;
}

void expectVec(const vec3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}
}  // namespace

TEST(ObjectCache, RepeatedRequestsShareObjectsPerKind) {
    aiNode *sphere, *s001, *s002, *light;
    std::unique_ptr<aiNode> root(makeNode("Root", {
                                                      sphere = makeNode("Sphere"),
                                                      s001 = makeNode("Sphere_001"),
                                                      s002 = makeNode("Sphere_002"),
                                                      light = makeNode("PointLight"),
                                                  }));
    ObjectCache cache;
    const auto reflective = cache.get(root.get(), ObjectKind::Reflective);
    ASSERT_EQ(reflective.size(), 2u);
    EXPECT_EQ(cache.get(root.get(), ObjectKind::Reflective), reflective);
    EXPECT_EQ(reflective[0]->getNode(), sphere);
    EXPECT_EQ(reflective[1]->getNode(), s001);
    for (SceneryObject* object : reflective) EXPECT_NE(dynamic_cast<ReflectionObject*>(object), nullptr);

    const auto refractive = cache.get(root.get(), ObjectKind::Refractive);
    ASSERT_EQ(refractive.size(), 1u);
    EXPECT_EQ(refractive[0]->getNode(), s002);
    EXPECT_NE(dynamic_cast<ReflectionObject*>(refractive[0]), nullptr);

    // All wraps the same sphere node in an object of its own.
    const auto all = cache.get(root.get(), ObjectKind::All);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[1]->getNode(), sphere);
    EXPECT_NE(all[1], reflective[0]);
    EXPECT_EQ(dynamic_cast<ReflectionObject*>(all[1]), nullptr);

    const auto lights = cache.get(root.get(), ObjectKind::Light);
    ASSERT_EQ(lights.size(), 1u);
    auto* lightObject = dynamic_cast<LightObject*>(lights[0]);
    ASSERT_NE(lightObject, nullptr);
    EXPECT_EQ(lightObject->getNode(), light);
    const LightRecord& record = *lightObject->record;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(record.position[i], 0.0f);
    for (float word : record.ones) EXPECT_EQ(word, 1.0f);
    for (float word : record.factors) EXPECT_EQ(word, 0.01f);
    EXPECT_EQ(record.buffer, 0u);

    const auto* reflection = static_cast<ReflectionObject*>(reflective[0]);
    EXPECT_TRUE(reflection->faces.empty());
    EXPECT_EQ(reflection->cubeMap.width, 512);
    EXPECT_EQ(reflection->cubeMap.height, 512);
    EXPECT_EQ(reflection->cubeMap.color, 0);
}

TEST(ObjectCache, AnEmptyResultIsLookedUpAgain) {
    std::unique_ptr<aiNode> root(makeNode("Root", {makeNode("Box")}));
    ObjectCache cache;
    EXPECT_TRUE(cache.get(root.get(), ObjectKind::Reflective).empty());
    aiNode* sphere = makeNode("Sphere");
    root->addChildren(1, &sphere);
    const auto found = cache.get(root.get(), ObjectKind::Reflective);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->getNode(), sphere);
}

TEST(SceneryObject, GlobalTransformationRunsThroughEveryAncestor) {
    aiNode *group, *leaf;
    std::unique_ptr<aiNode> root(makeNode("Root", {group = makeNode("Group", {leaf = makeNode("Leaf")})}));
    root->mTransformation = zUpToYUp();
    group->mTransformation = translation(1.0f, 2.0f, 3.0f);
    leaf->mTransformation = translation(0.0f, 0.0f, 4.0f);
    SceneryObject object(leaf);

    const aiMatrix4x4 local = object.getTransformation(false);
    EXPECT_EQ(local, leaf->mTransformation);
    expectVec(object.getPosition(false), 0.0f, 0.0f, 4.0f);

    // root * group * leaf: the file-frame point (1, 2, 7) turns into (1, 7, -2).
    const aiMatrix4x4 global = object.getTransformation(true);
    aiMatrix4x4 expected = root->mTransformation;
    expected *= group->mTransformation;
    expected *= leaf->mTransformation;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR((&global.a1)[i], (&expected.a1)[i], 1e-6f) << i;
    expectVec(object.getPosition(true), 1.0f, 7.0f, -2.0f);

    SceneryObject rootObject(root.get());
    expectVec(rootObject.getPosition(true), 0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(rootObject.init());
    EXPECT_TRUE(rootObject.update(0.5));
}

TEST(LightObject, UpdateWritesTheLocalTranslationInYUpOrder) {
    aiNode* light;
    std::unique_ptr<aiNode> root(makeNode("Root", {light = makeNode("PointLight")}));
    root->mTransformation = translation(10.0f, 20.0f, 30.0f);  // ignored: the update is local
    aiMatrix4x4 turn;
    aiMatrix4x4::RotationZ(0.7f, turn);
    light->mTransformation = translation(1.0f, 2.0f, 3.0f);
    light->mTransformation *= turn;

    LightObject object(light);
    object.record->buffer = 77;
    EXPECT_TRUE(object.update(0.016));
    EXPECT_FLOAT_EQ(object.record->position[0], 1.0f);
    EXPECT_FLOAT_EQ(object.record->position[1], 3.0f);
    EXPECT_FLOAT_EQ(object.record->position[2], -2.0f);
    for (float word : object.record->ones) EXPECT_EQ(word, 1.0f);
    for (float word : object.record->factors) EXPECT_EQ(word, 0.01f);
    EXPECT_EQ(object.record->buffer, 77u);

    // Without a node the record stays as it is.
    LightObject orphan(nullptr);
    orphan.record->position[0] = 5.0f;
    EXPECT_TRUE(orphan.update(1.0));
    EXPECT_EQ(orphan.record->position[0], 5.0f);
}
