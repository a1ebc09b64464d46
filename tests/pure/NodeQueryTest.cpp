// Finding scene nodes by role: exact and contained names, walk order, the Other set.
#include "TestScene.h"

#include "scene/NodeQuery.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

using namespace Quessel;
using Quessel::Test::makeNode;

namespace {
bool contains(const std::vector<aiNode*>& list, const aiNode* node) {
    return std::find(list.begin(), list.end(), node) != list.end();
}
}  // namespace

TEST(NodeQuery, NamesAreComparedWholeAndCaseSensitive) {
    aiNode *myLight, *light1, *sphere;
    std::unique_ptr<aiNode> root(
        makeNode("Root", {
                             makeNode("Sphere_0010"),
                             makeNode("sphere"),
                             myLight = makeNode("MyPointLight2", {light1 = makeNode("PointLight1")}),
                             sphere = makeNode("Sphere"),
                         }));
    EXPECT_EQ(NodeQuery::nodes(root.get(), ObjectKind::Reflective), std::vector<aiNode*>{sphere});
    EXPECT_TRUE(NodeQuery::nodes(root.get(), ObjectKind::Refractive).empty());
    EXPECT_EQ(NodeQuery::nodes(root.get(), ObjectKind::Light), (std::vector<aiNode*>{myLight, light1}));
    EXPECT_EQ(NodeQuery::find(root.get(), "PointLight1"), light1);
    EXPECT_EQ(NodeQuery::find(root.get(), "PointLight"), nullptr);
    EXPECT_TRUE(NodeQuery::nodes(nullptr, ObjectKind::All).empty());
}

TEST(NodeQuery, ReflectiveListsEverySphereInPreOrderBeforeEverySphere001) {
    aiNode *first, *second, *a001, *b001, *inner;
    std::unique_ptr<aiNode> root(makeNode(
        "Root", {
                    a001 = makeNode("Sphere_001", {first = makeNode("Sphere")}),
                    makeNode("Group",
                             {inner = makeNode("Inner", {second = makeNode("Sphere")}), b001 = makeNode("Sphere_001")}),
                }));
    EXPECT_EQ(NodeQuery::nodes(root.get(), ObjectKind::Reflective), (std::vector<aiNode*>{first, second, a001, b001}));
    // All is the plain pre-order, the root first.
    const std::vector<aiNode*> all = NodeQuery::nodes(root.get(), ObjectKind::All);
    ASSERT_EQ(all.size(), 7u);
    EXPECT_EQ(all[0], root.get());
    EXPECT_EQ(all[1], a001);
    EXPECT_EQ(all[2], first);
    EXPECT_EQ(all[4], inner);
    EXPECT_EQ(all[6], b001);
}

TEST(NodeQuery, OtherHoldsEveryNonSphereNodeInAddressOrder) {
    aiNode *sphere, *s001, *s002, *s003, *light, *group;
    std::unique_ptr<aiNode> root(
        makeNode("Root", {
                             sphere = makeNode("Sphere"),
                             group = makeNode("Group", {s001 = makeNode("Sphere_001"), light = makeNode("PointLight")}),
                             s002 = makeNode("Sphere_002", {s003 = makeNode("Sphere_003")}),
                         }));
    EXPECT_EQ(NodeQuery::nodes(root.get(), ObjectKind::Refractive), std::vector<aiNode*>{s002});

    const std::vector<aiNode*> other = NodeQuery::nodes(root.get(), ObjectKind::Other);
    EXPECT_EQ(other.size(), 4u);
    for (aiNode* kept : {root.get(), group, light, s003}) EXPECT_TRUE(contains(other, kept)) << kept->mName.C_Str();
    for (aiNode* left : {sphere, s001, s002}) EXPECT_FALSE(contains(other, left)) << left->mName.C_Str();
    EXPECT_TRUE(std::is_sorted(other.begin(), other.end(), std::less<aiNode*>()));
}

TEST(NodeQuery, NameEndsAtItsFirstNul) {
    // The stored length runs past the NUL; only "Sphere" counts.
    aiNode* node = new aiNode();
    const char text[] = "Sphere\0_001PointLight";
    std::memcpy(node->mName.data, text, sizeof(text));
    node->mName.length = sizeof(text) - 1;
    std::unique_ptr<aiNode> root(makeNode("Root", {node}));

    EXPECT_EQ(NodeQuery::nodes(root.get(), ObjectKind::Reflective), std::vector<aiNode*>{node});
    EXPECT_TRUE(NodeQuery::nodes(root.get(), ObjectKind::Light).empty());
    EXPECT_EQ(NodeQuery::find(root.get(), "Sphere"), node);
    EXPECT_EQ(NodeQuery::find(root.get(), "Sphere_001"), nullptr);
}
