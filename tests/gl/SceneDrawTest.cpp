// Walking node trees: model matrix accumulation, the matrices blocks, which meshes draw.
#include "ImporterTest.h"

#include <array>

using namespace Quessel;
using namespace Quessel::Test;

namespace {

using Floats = std::array<float, 16>;

// A program with the shared attribute locations and nothing else, so the counts do not
// depend on the demo's shaders.
const ShaderProgram& probeProgram() {
    static const ShaderProgram& probe = programFromSource(
        "draw-probe", "#version 430 core\nin vec3 position;\nvoid main() { gl_Position = vec4(position, 1.0); }\n",
        "#version 430 core\nout vec4 colour;\nvoid main() { colour = vec4(1.0); }\n");
    return probe;
}

// Projection and view stand in as a pattern that drawing must not touch.
GLuint makeMatricesBuffer(GLuint binding) {
    std::vector<float> block(48, 0.0f);
    for (int i = 0; i < 32; ++i) block[i] = 100.0f + i;
    return makeUniformBuffer(192, binding, block.data());
}

std::vector<float> readMatrices(GLuint buffer) { return readBuffer<float>(buffer, 48); }

Floats modelPart(const std::vector<float>& matrices) {
    Floats model;
    std::copy(matrices.begin() + 32, matrices.end(), model.begin());
    return model;
}

void expectFloats(const Floats& actual, const Floats& expected) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "float " << i;
}

// root (translation 1, 2, 3; mesh 0, one triangle)
//   sibling (mesh 1, two triangles)
//   turn (90 degrees about Z, no meshes)
//     leaf (translation 4, 0, 0; mesh 2, four triangles)
struct SceneDraw : ImporterTest {
    aiNode *root, *sibling, *turn, *leaf;
    GLuint matrices = 0, previous = 0;
    GLuint query = 0;

    // The leaf's accumulated transform, column by column: the turn, then (1, 2, 3) + turned (4, 0, 0).
    const Floats leafModel = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 1, 6, 3, 1};

    void SetUp() override {
        ImporterTest::SetUp();
        registry.useProgram(probeProgram().program);
        root = makeNode(
            "Root",
            {sibling = makeNode("Sibling", {}, {1}), turn = makeNode("Turn", {leaf = makeNode("Leaf", {}, {2})})}, {0});
        root->mTransformation = translation(1, 2, 3);
        aiMatrix4x4::RotationZ(static_cast<float>(M_PI / 2), turn->mTransformation);
        leaf->mTransformation = translation(4, 0, 0);
        scene.reset(makeScene({makeTriangles(1), makeTriangles(2), makeTriangles(4)}, {}, root));
        importer.buildMeshes(scene.get());
        importer.matricesBuffer = matrices = makeMatricesBuffer(1);
        importer.previousMatricesBuffer = previous = makeMatricesBuffer(4);
        importer.model = mat4(1.0f);
        glGenQueries(1, &query);
    }
    void TearDown() override {
        glDeleteQueries(1, &query);
        ImporterTest::TearDown();
    }

    template <typename Draw>
    GLuint primitives(Draw draw) {
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        draw();
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLuint count = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
        return count;
    }
    GLuint listed(const std::vector<aiNode*>& list) {
        return primitives([&] { importer.drawListedNodes(scene.get(), root, list); });
    }
    void expectModelParts(const Floats& expected) {
        expectFloats(modelPart(readMatrices(matrices)), expected);
        expectFloats(modelPart(readMatrices(previous)), expected);
    }
};

}  // namespace

TEST_F(SceneDraw, DrawNodeAccumulatesTransformsAndRestoresTheModel) {
    EXPECT_EQ(primitives([&] { importer.drawNode(scene.get(), root); }), 7u);
    EXPECT_EQ(importer.model, mat4(1.0f));
    EXPECT_TRUE(importer.modelStack.empty());
    expectModelParts(leafModel);
    for (GLuint buffer : {matrices, previous}) {
        const auto data = readMatrices(buffer);
        for (int i = 0; i < 32; ++i) EXPECT_EQ(data[i], 100.0f + i) << i;
    }
    // The last mesh drawn leaves its material range and vertex array bound.
    GLint bound = 0;
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, 2, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), importer.meshes[2].materialBuffer);
    glGetIntegeri_v(GL_UNIFORM_BUFFER_SIZE, 2, &bound);
    EXPECT_EQ(bound, 72);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), importer.meshes[2].vertexArray);

    // The walk multiplies onto the model it finds (model on the left) and gives it back.
    const mat4 base = glm::translate(mat4(1.0f), vec3(10, 0, 0));
    importer.model = base;
    importer.drawNode(scene.get(), root);
    EXPECT_EQ(importer.model, base);
    Floats shifted = leafModel;
    shifted[12] += 10;
    expectModelParts(shifted);
}

TEST_F(SceneDraw, DrawNodeBindsTexturesBelowTheNameLimit) {
    GLuint textures[2];
    glGenTextures(2, textures);
    importer.meshes[0].texture = textures[0];
    importer.meshes[0].normalTexture = textures[1];
    importer.drawNode(scene.get(), sibling);  // mesh 1 has no texture: name 0 on both units
    GLint unit0 = -1, unit1 = -1;
    auto readUnits = [&] {
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &unit0);
        glActiveTexture(GL_TEXTURE1);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &unit1);
    };
    readUnits();
    EXPECT_EQ(unit0, 0);
    EXPECT_EQ(unit1, 0);

    importer.drawListedNodes(scene.get(), root, {root});
    readUnits();
    EXPECT_EQ(static_cast<GLuint>(unit0), textures[0]);
    EXPECT_EQ(static_cast<GLuint>(unit1), textures[1]);

    // A name of 1000 or more leaves both units as they are.
    importer.meshes[1].texture = 1000;
    importer.drawListedNodes(scene.get(), root, {sibling});
    readUnits();
    EXPECT_EQ(static_cast<GLuint>(unit0), textures[0]);
    EXPECT_EQ(static_cast<GLuint>(unit1), textures[1]);
    glDeleteTextures(2, textures);
}

TEST_F(SceneDraw, ListedWalkDrawsOnlyListedNodesButTransformsThroughAll) {
    EXPECT_EQ(listed({}), 0u);
    expectModelParts(leafModel);
    EXPECT_EQ(importer.model, mat4(1.0f));
    EXPECT_TRUE(importer.modelStack.empty());

    EXPECT_EQ(listed({root}), 1u);  // children are not drawn unless listed
    EXPECT_EQ(listed({turn}), 0u);
    EXPECT_EQ(listed({leaf}), 4u);
    EXPECT_EQ(listed({leaf, leaf}), 4u);  // one draw per visit
    EXPECT_EQ(listed({sibling, leaf}), 6u);
    EXPECT_EQ(listed({root, sibling, turn, leaf}), 7u);
    EXPECT_EQ(importer.model, mat4(1.0f));

    // draw walks from the scene root.
    importer.scene = scene.get();
    EXPECT_EQ(primitives([&] { importer.draw({leaf}); }), 4u);
    EXPECT_EQ(primitives([&] { importer.getRender()->draw({root, sibling}); }), 3u);
    expectModelParts(leafModel);
    EXPECT_EQ(importer.model, mat4(1.0f));
}
