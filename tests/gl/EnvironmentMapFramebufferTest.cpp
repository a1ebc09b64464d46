// The six-face render target and its copy into the cube map, read back from GL.
#include "GlTestContext.h"

#include "envmap/EasyTextureBoxFramebuffer.h"

#include <set>
#include <vector>

using Quessel::EasyTextureBoxFramebuffer;
using Quessel::RenderTexture;

namespace {

class EnvironmentMapFramebufferTest : public Quessel::Test::GlTest {};

GLint texParameter(GLenum target, GLint texture, GLenum name) {
    glBindTexture(target, static_cast<GLuint>(texture));
    GLint value = 0;
    glGetTexParameteriv(target, name, &value);
    return value;
}

GLint levelParameter(GLenum target, GLenum image, GLint texture, GLenum name) {
    glBindTexture(target, static_cast<GLuint>(texture));
    GLint value = 0;
    glGetTexLevelParameteriv(image, 0, name, &value);
    return value;
}

std::vector<unsigned char> readRgba(GLenum target, GLenum image, GLint texture) {
    std::vector<unsigned char> pixels(512 * 512 * 4);
    glBindTexture(target, static_cast<GLuint>(texture));
    glGetTexImage(image, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

}  // namespace

TEST_F(EnvironmentMapFramebufferTest, CreateMakesSixCompleteFacesAndACubeMap) {
    EasyTextureBoxFramebuffer target({}, 512, 512);
    EXPECT_EQ(target.stagingSize, 1048576u);
    EXPECT_TRUE(target.init());
    ASSERT_EQ(target.framebuffers.size(), 6u);
    glActiveTexture(GL_TEXTURE0);
    std::set<GLint> names;
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const RenderTexture face = target.getFaceTexture(i);
        EXPECT_EQ(face.unit, 20 + i);
        EXPECT_EQ(face.width, 512);
        EXPECT_EQ(face.height, 512);
        EXPECT_NE(face.color, 0);
        EXPECT_NE(face.depth, 0);
        names.insert({face.color, face.depth});
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D, GL_TEXTURE_2D, face.color, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D, GL_TEXTURE_2D, face.color, GL_TEXTURE_WIDTH), 512);
        EXPECT_EQ(texParameter(GL_TEXTURE_2D, face.color, GL_TEXTURE_IMMUTABLE_FORMAT), GL_TRUE);
        EXPECT_EQ(texParameter(GL_TEXTURE_2D, face.color, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
        EXPECT_EQ(texParameter(GL_TEXTURE_2D, face.color, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
        EXPECT_EQ(levelParameter(GL_TEXTURE_2D, GL_TEXTURE_2D, face.depth, GL_TEXTURE_INTERNAL_FORMAT),
                  GL_DEPTH_COMPONENT32F);
        EXPECT_EQ(texParameter(GL_TEXTURE_2D, face.depth, GL_TEXTURE_IMMUTABLE_FORMAT), GL_TRUE);
        glBindFramebuffer(GL_FRAMEBUFFER, target.getFramebuffer(i));
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        GLint attached = 0;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                              GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &attached);
        EXPECT_EQ(attached, face.color);
    }
    EXPECT_EQ(names.size(), 12u);
    EXPECT_EQ(std::set<GLuint>(target.framebuffers.begin(), target.framebuffers.end()).size(), 6u);

    const RenderTexture cube = target.getCubeMap();
    EXPECT_EQ(cube.unit, 26);
    EXPECT_NE(cube.color, 0);
    EXPECT_NE(cube.color, cube.depth);
    EXPECT_EQ(names.count(cube.color) + names.count(cube.depth), 0u);
    EXPECT_EQ(
        levelParameter(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, cube.depth, GL_TEXTURE_INTERNAL_FORMAT),
        GL_DEPTH_COMPONENT32F);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(EnvironmentMapFramebufferTest, UnbindCopiesTheFaceRowForRowAndTheLastFaceFinishesTheCubeMap) {
    EasyTextureBoxFramebuffer target({}, 512, 512);
    target.init();
    ASSERT_TRUE(target.isComplete());
    glDisable(GL_TEXTURE_CUBE_MAP_SEAMLESS);

    target.setFace(2);
    target.bind();
    // Horizontal bands plus a left strip, so a row or column flip shows.
    glEnable(GL_SCISSOR_TEST);
    for (int band = 0; band < 4; ++band) {
        const float color[4] = {band / 4.0f, 0.5f, 1.0f - band / 4.0f, 1.0f};
        glScissor(0, band * 128, 512, 128);
        glClearBufferfv(GL_COLOR, 0, color);
    }
    const float strip[4] = {0.0f, 0.0f, 0.0f, 0.2f};
    glScissor(0, 0, 16, 512);
    glClearBufferfv(GL_COLOR, 0, strip);
    glDisable(GL_SCISSOR_TEST);
    target.unbind();

    glActiveTexture(GL_TEXTURE0);
    const RenderTexture cube = target.getCubeMap();
    const std::vector<unsigned char> face = readRgba(GL_TEXTURE_2D, GL_TEXTURE_2D, target.getFaceTexture(2).color);
    const std::vector<unsigned char> copied = readRgba(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_CUBE_MAP_POSITIVE_Y, cube.color);
    EXPECT_TRUE(face == copied);
    EXPECT_EQ(copied[3], 51);                      // strip at row 0
    EXPECT_EQ(copied[4 * 16 + 2], 255);            // band 0 at row 0
    EXPECT_EQ(copied[4 * (511 * 512 + 16)], 191);  // band 3 at row 511
    EXPECT_EQ(levelParameter(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_CUBE_MAP_POSITIVE_X, cube.color, GL_TEXTURE_WIDTH), 0);
    // Sampling state is left alone until the last face.
    EXPECT_EQ(texParameter(GL_TEXTURE_CUBE_MAP, cube.color, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_LINEAR);
    EXPECT_EQ(texParameter(GL_TEXTURE_CUBE_MAP, cube.color, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP_SEAMLESS));

    target.setFace(5);
    target.bind();
    target.unbind();
    glActiveTexture(GL_TEXTURE0);
    for (GLenum name : {GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER})
        EXPECT_EQ(texParameter(GL_TEXTURE_CUBE_MAP, cube.color, name), GL_LINEAR);
    for (GLenum name : {GL_TEXTURE_WRAP_R, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T})
        EXPECT_EQ(texParameter(GL_TEXTURE_CUBE_MAP, cube.color, name), GL_CLAMP_TO_EDGE);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_CUBE_MAP_SEAMLESS));
    EXPECT_EQ(levelParameter(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, cube.color, GL_TEXTURE_WIDTH), 512);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(EnvironmentMapFramebufferTest, FailedCreateLeavesNoFramebuffers) {
    EasyTextureBoxFramebuffer target({}, 0, 0);
    EXPECT_TRUE(target.init());  // the failure is not passed on
    EXPECT_TRUE(target.framebuffers.empty());
    EXPECT_TRUE(target.faces.empty());
    EXPECT_FALSE(target.isComplete());
}
