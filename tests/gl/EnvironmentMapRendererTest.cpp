// The six-face pass against a recording scene: what is drawn, with which program,
// matrices, uniforms and cube maps.
#include "ExpectGlErrors.h"
#include "GlTestContext.h"
#include "GlTestHelpers.h"
#include "TestScene.h"

#include "core/GlConstants.h"
#include "envmap/TextureBoxRenderer.h"
#include "scene/IRender.h"
#include "scene/IScene.h"
#include "scene/LightObject.h"
#include "scene/NodeQuery.h"
#include "scene/ObjectCache.h"
#include "scene/ReflectionObject.h"
#include "scene/ShaderRegistry.h"

#include <assimp/scene.h>

#include <algorithm>
#include <cstring>
#include <memory>

using namespace Quessel;
using namespace Quessel::Test;

namespace {

struct Draw {
    std::vector<aiNode*> nodes;
    GLint program = 0;
    GLint cubeMap = 0;
    mat4 projection{0.0f};
    mat4 view{0.0f};
    std::vector<float> sphere;
    vec3 cameraDirection{0.0f};
    vec3 cameraPosition{0.0f};
};

// Root -> Sphere, Group -> (Sphere_001, Sphere_002), PointLight, MyPointLight2.
class RecordingScene : public IScene, public IRender {
public:
    RecordingScene() {
        root = makeNode(
            "Root", {sphere = makeNode("Sphere"),
                     group = makeNode("Group", {sphere1 = makeNode("Sphere_001"), sphere2 = makeNode("Sphere_002")}),
                     light = makeNode("PointLight"), light2 = makeNode("MyPointLight2")});
        sphere->mTransformation = translation(1, 0, 0);
        group->mTransformation = translation(0, 0, 5);
        sphere1->mTransformation = translation(-2, 0, 0);
        sphere2->mTransformation = translation(2, 3, 4);
        light->mTransformation = translation(1, 2, 3);
        light2->mTransformation = translation(4, 5, 6);
    }
    ~RecordingScene() override { delete root; }

    std::vector<SceneryObject*> getObjects(ObjectKind kind) override { return cache.get(root, kind); }
    std::vector<aiNode*> getNodes(ObjectKind kind) override { return NodeQuery::nodes(root, kind); }
    IRender* getRender() override { return this; }

    void draw(const std::vector<aiNode*>& nodes) override {
        Draw d;
        d.nodes = nodes;
        glGetIntegerv(GL_CURRENT_PROGRAM, &d.program);
        glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &d.cubeMap);
        d.projection = readBuffer<mat4>(matricesBuffer, 1)[0];
        d.view = readBuffer<mat4>(matricesBuffer, 1, sizeof(mat4))[0];
        d.sphere = readBuffer<float>(sphereBuffer);
        // Only the scene program has the camera uniforms.
        if (static_cast<GLuint>(d.program) == ShaderRegistry::instance().get("test").program) {
            glGetUniformfv(d.program, glGetUniformLocation(d.program, "cameraDirection"),
                           glm::value_ptr(d.cameraDirection));
            glGetUniformfv(d.program, glGetUniformLocation(d.program, "cameraPosition"),
                           glm::value_ptr(d.cameraPosition));
        }
        draws.push_back(d);
    }

    ReflectionObject* object(aiNode* node) {
        for (ObjectKind kind : {ObjectKind::Reflective, ObjectKind::Refractive})
            for (SceneryObject* entry : getObjects(kind))
                if (entry->getNode() == node) return dynamic_cast<ReflectionObject*>(entry);
        return nullptr;
    }

    aiNode* root;
    aiNode *sphere, *group, *sphere1, *sphere2, *light, *light2;
    GLuint matricesBuffer = makeUniformBuffer(BlockSize::Matrices, BlockBinding::Matrices);
    GLuint sphereBuffer = makeUniformBuffer(BlockSize::Sphere, BlockBinding::Sphere);
    ObjectCache cache;
    std::vector<Draw> draws;
};

class EnvironmentMapRendererTest : public Quessel::Test::GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        ShaderRegistry& registry = standardPrograms();
        test = registry.get("test").program;
        reflect = registry.get("reflect").program;
        refract = registry.get("refract").program;
        registry.use("test");
    }
    std::vector<std::unique_ptr<IEnvironmentMapRenderer>> create() {
        return createRenderers(&scene, test, scene.matricesBuffer, reflect, refract, scene.sphereBuffer);
    }
    static bool contains(const std::vector<aiNode*>& nodes, const aiNode* node) {
        return std::find(nodes.begin(), nodes.end(), node) != nodes.end();
    }

    RecordingScene scene;
    GLuint test = 0, reflect = 0, refract = 0;
};

}  // namespace

TEST_F(EnvironmentMapRendererTest, EachSphereIsLeftOutOfItsOwnPassAndOthersUseTheirPrograms) {
    auto renderers = create();
    ASSERT_EQ(renderers.size(), 3u);
    EXPECT_STREQ(renderers[0]->getObject()->getNode()->mName.C_Str(), "Sphere");
    EXPECT_STREQ(renderers[1]->getObject()->getNode()->mName.C_Str(), "Sphere_001");
    EXPECT_STREQ(renderers[2]->getObject()->getNode()->mName.C_Str(), "Sphere_002");

    // Sphere_001 first, so that the pass of Sphere finds its cube map.
    ReflectionObject* reflective1 = scene.object(scene.sphere1);
    renderers[1]->render(reflective1->getPosition(true));
    scene.draws.clear();
    const vec3 p = scene.object(scene.sphere)->getPosition(true);
    renderers[0]->render(p);
    ASSERT_EQ(scene.draws.size(), 18u);
    const vec3 expectedCentre = scene.object(scene.sphere2)->getPosition(true);
    for (size_t i = 0; i < scene.draws.size(); ++i) {
        SCOPED_TRACE(i);
        const Draw& d = scene.draws[i];
        const int face = static_cast<int>(i / 3);
        EXPECT_FALSE(contains(d.nodes, scene.sphere));
        switch (i % 3) {
        case 0: {
            EXPECT_EQ(d.program, static_cast<GLint>(test));
            EXPECT_TRUE(contains(d.nodes, scene.root) && contains(d.nodes, scene.light));
            EXPECT_FALSE(contains(d.nodes, scene.sphere1) || contains(d.nodes, scene.sphere2));
            const vec3 direction = TextureBoxRenderer::faceDirection(face);
            EXPECT_EQ(d.cameraDirection, direction);
            EXPECT_EQ(d.cameraPosition, p);
            // The face camera sits at p and looks along its axis.
            const vec4 eye = d.view * vec4(p, 1.0f);
            const vec4 ahead = d.view * vec4(p + direction, 1.0f);
            EXPECT_NEAR(glm::length(vec3(eye)), 0.0f, 1e-5f);
            EXPECT_NEAR(ahead.z, -1.0f, 1e-5f);
            EXPECT_NEAR(glm::length(glm::vec2(ahead)), 0.0f, 1e-5f);
            EXPECT_EQ(d.projection[3][2], -0.20002f);
            break;
        }
        case 1:
            EXPECT_EQ(d.program, static_cast<GLint>(reflect));
            EXPECT_EQ(d.nodes, std::vector<aiNode*>{scene.sphere1});
            EXPECT_NE(d.cubeMap, 0);
            EXPECT_EQ(d.cubeMap, reflective1->cubeMap.color);
            break;
        case 2:
            EXPECT_EQ(d.program, static_cast<GLint>(refract));
            EXPECT_EQ(d.nodes, std::vector<aiNode*>{scene.sphere2});
            EXPECT_EQ(d.sphere,
                      (std::vector<float>{expectedCentre.x, expectedCentre.y, expectedCentre.z, 1.0f, -2.0f}));
            break;
        }
    }
    EXPECT_EQ(expectedCentre, vec3(2, 3, 9));

    scene.draws.clear();
    renderers[2]->render(expectedCentre);
    int reflectDraws = 0;
    for (const Draw& d : scene.draws) {
        EXPECT_NE(d.program, static_cast<GLint>(refract));
        EXPECT_FALSE(contains(d.nodes, scene.sphere2));
        if (d.program == static_cast<GLint>(reflect)) ++reflectDraws;
    }
    EXPECT_EQ(reflectDraws, 12);

    ReflectionObject* served = renderers[2]->getObject();
    ASSERT_EQ(served->faces.size(), 6u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(served->faces[i].unit, 20 + i);
    EXPECT_EQ(served->cubeMap.unit, 26);
    EXPECT_EQ(served->cubeMap.color, renderers[2]->getCubeMap().color);
}

TEST_F(EnvironmentMapRendererTest, UpdateRefreshesEveryLightAndUploadsTheFirst) {
    auto renderers = create();
    auto* last = static_cast<EnvironmentMapRenderer*>(renderers[2].get());
    GLint bound = 0;
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, 3, &bound);
    EXPECT_EQ(bound, static_cast<GLint>(last->lightBuffer));

    auto* first = static_cast<EnvironmentMapRenderer*>(renderers[0].get());
    ASSERT_EQ(first->lights.size(), 2u);
    first->update(0.0);
    const LightRecord uploaded = readBuffer<LightRecord>(first->lightBuffer, 1)[0];
    const float expected[13] = {1, 3, -2, 1, 1, 1, 1, 0.01f, 0.01f, 0.01f, 0.01f, 0.01f, 0.01f};
    EXPECT_EQ(0, std::memcmp(&uploaded, expected, sizeof(expected)));
    EXPECT_EQ(uploaded.buffer, 0u);
    EXPECT_EQ(first->lights[1]->record->position[1], 6.0f);  // the second light is refreshed too
}

TEST_F(EnvironmentMapRendererTest, MissingLightsAndAFailedTargetAreSkipped) {
    ReflectionObject* object = scene.object(scene.sphere);
    TextureBoxRenderer unlit(test, scene.matricesBuffer, reflect, refract, scene.sphereBuffer, &scene, object, {});
    EXPECT_TRUE(unlit.init());
    EXPECT_TRUE(unlit.update(0.0));
    EXPECT_TRUE(unlit.render(vec3(1, 0, 0)));
    EXPECT_EQ(object->faces.size(), 6u);

    ReflectionObject* other = scene.object(scene.sphere2);
    TextureBoxRenderer broken(test, scene.matricesBuffer, reflect, refract, scene.sphereBuffer, &scene, other, {});
    broken.width = 0;  // an empty face cannot be attached: create fails
    {
        ExpectGlErrors emptyStorage{GL_INVALID_VALUE};
        broken.init();
    }
    scene.draws.clear();
    EXPECT_TRUE(broken.render(vec3(0.0f)));
    EXPECT_TRUE(scene.draws.empty());
    EXPECT_TRUE(other->faces.empty());
    EXPECT_EQ(other->cubeMap.color, 0);
}
