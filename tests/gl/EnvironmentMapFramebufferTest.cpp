// The six-face render target and its copy into the cube map, read back from GL.
#include "ExpectGlErrors.h"
#include "GlTestContext.h"
#include "GlTestHelpers.h"

#include "envmap/EasyTextureBoxFramebuffer.h"

#include <set>

using Quessel::EasyTextureBoxFramebuffer;
using Quessel::RenderTexture;
using namespace Quessel::Test;

using EnvironmentMapFramebufferTest = GlTest;

TEST_F(EnvironmentMapFramebufferTest, CreateMakesSixCompleteFacesAndACubeMap) {
    EasyTextureBoxFramebuffer target({}, 512, 512);
    EXPECT_EQ(target.stagingSize, 1048576u);
    EXPECT_TRUE(target.init());
    ASSERT_EQ(target.framebuffers.size(), 6u);
    std::set<GLint> names;
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const RenderTexture face = target.getFaceTexture(i);
        EXPECT_EQ(face.unit, 20 + i);
        EXPECT_EQ(face.width, 512);
        EXPECT_EQ(face.height, 512);
        names.insert({face.color, face.depth});
        expectTextureParameters(GL_TEXTURE_2D, face.color,
                                {{GL_TEXTURE_INTERNAL_FORMAT, GL_RGBA8}, {GL_TEXTURE_WIDTH, 512}});
        expectTextureParameters(GL_TEXTURE_2D, face.depth, {{GL_TEXTURE_INTERNAL_FORMAT, GL_DEPTH_COMPONENT32F}});
        glBindFramebuffer(GL_FRAMEBUFFER, target.getFramebuffer(i));
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        GLint attached = 0;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0,
                                              GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &attached);
        EXPECT_EQ(attached, face.color);
    }
    EXPECT_EQ(names.size(), 12u);
    EXPECT_EQ(names.count(0), 0u);
    EXPECT_EQ(std::set<GLuint>(target.framebuffers.begin(), target.framebuffers.end()).size(), 6u);

    const RenderTexture cube = target.getCubeMap();
    EXPECT_EQ(cube.unit, 26);
    EXPECT_NE(cube.color, 0);
    EXPECT_NE(cube.color, cube.depth);
    EXPECT_EQ(names.count(cube.color) + names.count(cube.depth), 0u);
    expectTextureParameters(GL_TEXTURE_CUBE_MAP, cube.depth, {{GL_TEXTURE_INTERNAL_FORMAT, GL_DEPTH_COMPONENT32F}},
                            GL_TEXTURE_CUBE_MAP_NEGATIVE_Z);
}

TEST_F(EnvironmentMapFramebufferTest, UnbindCopiesTheFaceRowForRowAndTheLastFaceFinishesTheCubeMap) {
    EasyTextureBoxFramebuffer target({}, 512, 512);
    target.init();
    ASSERT_TRUE(target.isComplete());
    glDisable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    const RenderTexture cube = target.getCubeMap();

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

    const Texels copied = readTexels(cube.color, GL_TEXTURE_CUBE_MAP_POSITIVE_Y);
    ASSERT_EQ(copied.width, 512);
    EXPECT_TRUE(readTexels(target.getFaceTexture(2).color).rgba == copied.rgba);
    EXPECT_EQ(copied.at(0, 0)[3], 51);      // strip at row 0
    EXPECT_EQ(copied.at(16, 0)[2], 255);    // band 0 at row 0
    EXPECT_EQ(copied.at(16, 511)[0], 191);  // band 3 at row 511
    EXPECT_EQ(readTexels(cube.color, GL_TEXTURE_CUBE_MAP_POSITIVE_X).width, 0);
    // Sampling state keeps GL's defaults until the last face.
    expectTextureParameters(GL_TEXTURE_CUBE_MAP, cube.color,
                            {{GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_LINEAR}, {GL_TEXTURE_WRAP_S, GL_REPEAT}});
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP_SEAMLESS));

    target.setFace(5);
    target.bind();
    target.unbind();
    expectTextureParameters(GL_TEXTURE_CUBE_MAP, cube.color,
                            {{GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                             {GL_TEXTURE_MIN_FILTER, GL_LINEAR},
                             {GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE},
                             {GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE},
                             {GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE}});
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_CUBE_MAP_SEAMLESS));
    EXPECT_EQ(readTexels(cube.color, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z).width, 512);
}

TEST_F(EnvironmentMapFramebufferTest, FailedCreateLeavesNoFramebuffers) {
    EasyTextureBoxFramebuffer target({}, 0, 0);
    {
        ExpectGlErrors emptyStorage{GL_INVALID_VALUE};
        EXPECT_TRUE(target.init());  // the failure is not passed on
    }
    EXPECT_TRUE(target.framebuffers.empty());
    EXPECT_TRUE(target.faces.empty());
    EXPECT_FALSE(target.isComplete());
}
