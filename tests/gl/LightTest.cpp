// The importer's point light: set-up output and binding, turning PointLight1, uploads.
#include "ImporterTest.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace Quessel;
using namespace Quessel::Test;

namespace {

std::vector<uint32_t> readWords(GLuint buffer) { return readBuffer<uint32_t>(buffer, 14); }

struct Light : ImporterTest {
    aiNode *light, *nested, *other;

    void SetUp() override {
        ImporterTest::SetUp();
        // The light sits at (2, 0, 1) in the file's Z-up frame; a second PointLight1 further
        // down the pre-order must stay where it is.
        aiNode* root =
            makeNode("Root", {makeNode("Camera"), light = makeNode("PointLight1"),
                              makeNode("Group", {nested = makeNode("PointLight1")}), other = makeNode("PointLight")});
        light->mTransformation = translation(2, 0, 1);
        nested->mTransformation = translation(5, 0, 0);
        scene.reset(makeScene({}, {}, root));
    }
    void setup() {
        importer.scene = scene.get();
        testing::internal::CaptureStdout();
        importer.setupLight(scene->mRootNode);
        testing::internal::GetCapturedStdout();
    }
};

}  // namespace

TEST_F(Light, SetupListsTheRootsChildrenAndUploadsAZeroRecord) {
    // A broken file's importer may leave an empty slot among the children: it is passed over.
    aiNode* root = scene->mRootNode;
    aiNode** children = new aiNode*[root->mNumChildren + 1];
    std::copy(root->mChildren, root->mChildren + root->mNumChildren, children);
    children[root->mNumChildren++] = nullptr;
    delete[] root->mChildren;
    root->mChildren = children;
    testing::internal::CaptureStdout();
    importer.setupLight(scene->mRootNode);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Camera\nPointLight1\nGroup\nPointLight\n");
    // Its binding to "PointLight" is checked on the real set-up (FrameState).
    ASSERT_NE(importer.lightRecord, nullptr);
    const GLuint buffer = importer.lightRecord->buffer;
    std::vector<uint32_t> zeros(14, 0u);
    zeros[13] = buffer;
    EXPECT_EQ(readBuffer<uint32_t>(buffer), zeros) << "all of its 56 bytes zero but the buffer's name";
    EXPECT_EQ(std::memcmp(importer.lightRecord.get(), zeros.data(), 56), 0);
}

TEST_F(Light, AnimateTurnsPointLight1AboutZAndUploads) {
    setup();
    const GLuint buffer = importer.lightRecord->buffer;
    const aiMatrix4x4 start = light->mTransformation;

    importer.animateLight(0.0);
    EXPECT_EQ(light->mTransformation, start);
    // At (2, 0, 1) in the file's frame: (2, 1, 0) in the world's, intensity 1, falloff 0.01.
    EXPECT_EQ(readBuffer<float>(buffer, 13),
              (std::vector<float>{2, 1, 0, 1, 1, 1, 1, 0.01f, 0.01f, 0.01f, 0.01f, 0.01f, 0.01f}));
    EXPECT_EQ(readWords(buffer)[13], buffer);

    // Two steps of pi/2 seconds at half a radian per second: a quarter turn in all.
    importer.animateLight(M_PI / 2);
    importer.animateLight(M_PI / 2);
    const aiMatrix4x4& turned = light->mTransformation;
    EXPECT_NEAR(turned.a4, 0.0f, 1e-5f);
    EXPECT_NEAR(turned.b4, 2.0f, 1e-5f);
    EXPECT_NEAR(turned.c4, 1.0f, 1e-5f);
    EXPECT_NEAR(turned.a1, 0.0f, 1e-5f);
    EXPECT_NEAR(turned.a2, -1.0f, 1e-5f);
    EXPECT_NEAR(turned.b1, 1.0f, 1e-5f);
    EXPECT_NEAR(turned.c3, 1.0f, 1e-5f);
    EXPECT_EQ(nested->mTransformation, translation(5, 0, 0));

    const LightRecord& record = *importer.lightRecord;
    EXPECT_NEAR(record.position[0], 0.0f, 1e-5f);
    EXPECT_NEAR(record.position[1], 1.0f, 1e-5f);
    EXPECT_NEAR(record.position[2], -2.0f, 1e-5f);
    EXPECT_EQ(record.buffer, buffer);
    EXPECT_EQ(std::memcmp(readWords(buffer).data(), &record, sizeof(LightRecord)), 0);
}

TEST_F(Light, WithoutPointLight1NothingChangesOrUploads) {
    light->mName.Set("Lamp");
    nested->mName.Set("Lamp2");
    setup();
    const GLuint buffer = importer.lightRecord->buffer;
    std::vector<uint32_t> sentinel(14);
    for (uint32_t i = 0; i < 14; ++i) sentinel[i] = 0xA5A50000u + i;
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    glBufferSubData(GL_UNIFORM_BUFFER, 0, 56, sentinel.data());
    glBindBuffer(GL_UNIFORM_BUFFER, 0);

    importer.animateLight(1.0);
    EXPECT_EQ(readWords(buffer), sentinel);
    EXPECT_EQ(light->mTransformation, translation(2, 0, 1));
    EXPECT_EQ(other->mTransformation, aiMatrix4x4());
    EXPECT_EQ(importer.lightRecord->position[0], 0.0f);
    EXPECT_EQ(importer.lightRecord->ones[0], 0.0f);

    // No scene at all is no light either.
    importer.scene = nullptr;
    importer.animateLight(1.0);
    EXPECT_EQ(readWords(buffer), sentinel);
}
