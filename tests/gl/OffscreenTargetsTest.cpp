// The screen-sized targets and the composite's quad, read back from GL.
#include "GlTestContext.h"
#include "GlTestHelpers.h"

#include "app/OffscreenFramebuffer.h"
#include "app/ScreenQuad.h"
#include "scene/ShaderRegistry.h"

#include <vector>

using namespace Quessel;
using namespace Quessel::Test;

namespace {

using OffscreenTargetsTest = GlTest;

GLint integer(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

GLint attachment(GLenum point, GLenum name) {
    GLint value = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, point, name, &value);
    return value;
}

}  // namespace

TEST_F(OffscreenTargetsTest, TwoTargetsAreDistinctCompleteAndLeftBound) {
    OffscreenFramebuffer depthTarget;
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), static_cast<GLint>(depthTarget.framebuffer));
    OffscreenFramebuffer colorTarget;
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), static_cast<GLint>(colorTarget.framebuffer));
    EXPECT_NE(depthTarget.framebuffer, colorTarget.framebuffer);
    EXPECT_NE(depthTarget.texture, colorTarget.texture);
    EXPECT_NE(depthTarget.renderbuffer, colorTarget.renderbuffer);

    for (const OffscreenFramebuffer* target : {&depthTarget, &colorTarget}) {
        glBindFramebuffer(GL_FRAMEBUFFER, target->framebuffer);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        EXPECT_EQ(attachment(GL_COLOR_ATTACHMENT0, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME),
                  static_cast<GLint>(target->texture));
        for (GLenum point : {GL_DEPTH_ATTACHMENT, GL_STENCIL_ATTACHMENT}) {
            EXPECT_EQ(attachment(point, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE), GL_RENDERBUFFER);
            EXPECT_EQ(attachment(point, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME),
                      static_cast<GLint>(target->renderbuffer));
        }
        GLint value = 0;
        glBindTexture(GL_TEXTURE_2D, target->texture);
        const std::pair<GLenum, GLint> level[] = {{GL_TEXTURE_WIDTH, 1280},
                                                  {GL_TEXTURE_HEIGHT, 768},
                                                  {GL_TEXTURE_RED_SIZE, 8},
                                                  {GL_TEXTURE_BLUE_SIZE, 8},
                                                  {GL_TEXTURE_ALPHA_SIZE, 0}};
        for (const auto& query : level) {
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, query.first, &value);
            EXPECT_EQ(value, query.second) << query.first;
        }
        glBindRenderbuffer(GL_RENDERBUFFER, target->renderbuffer);
        const std::pair<GLenum, GLint> storage[] = {{GL_RENDERBUFFER_INTERNAL_FORMAT, GL_DEPTH24_STENCIL8},
                                                    {GL_RENDERBUFFER_WIDTH, 1280},
                                                    {GL_RENDERBUFFER_HEIGHT, 768}};
        for (const auto& query : storage) {
            glGetRenderbufferParameteriv(GL_RENDERBUFFER, query.first, &value);
            EXPECT_EQ(value, query.second) << query.first;
        }
    }
}

TEST_F(OffscreenTargetsTest, ScreenQuadHoldsTheTableAndRecordsItsLayout) {
    ShaderRegistry& registry = standardPrograms();
    registry.use("motionblur");
    const ScreenQuad quad(registry);
    EXPECT_EQ(integer(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(integer(GL_ARRAY_BUFFER_BINDING), 0);
    EXPECT_EQ(readBuffer<float>(quad.positionBuffer), (std::vector<float>{-1, -1, 1, -1, 1, 1, 1, 1, -1, 1, -1, -1}));
    EXPECT_EQ(readBuffer<float>(quad.texCoordBuffer), (std::vector<float>{0, 0, 1, 0, 1, 1, 1, 1, 0, 1, 0, 0}));
    glBindVertexArray(quad.vertexArray);
    EXPECT_EQ(integer(GL_ELEMENT_ARRAY_BUFFER_BINDING), static_cast<GLint>(quad.indexBuffer));
    EXPECT_EQ(readBuffer<GLuint>(quad.indexBuffer), (std::vector<GLuint>{0, 1, 2, 2, 3, 0}));

    const GLuint program = registry.get("motionblur").program;
    const std::pair<const char*, GLuint> inputs[2] = {{"vpos", quad.positionBuffer}, {"tex", quad.texCoordBuffer}};
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.first);
        const GLint location = glGetAttribLocation(program, input.first);
        ASSERT_GE(location, 0);
        const std::pair<GLenum, GLint> layout[] = {{GL_VERTEX_ATTRIB_ARRAY_ENABLED, GL_TRUE},
                                                   {GL_VERTEX_ATTRIB_ARRAY_SIZE, 3},
                                                   {GL_VERTEX_ATTRIB_ARRAY_TYPE, GL_FLOAT},
                                                   {GL_VERTEX_ATTRIB_ARRAY_STRIDE, 0},
                                                   {GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, GLint(input.second)}};
        for (const auto& query : layout) {
            GLint value = -1;
            glGetVertexAttribiv(static_cast<GLuint>(location), query.first, &value);
            EXPECT_EQ(value, query.second) << query.first;
        }
    }
}
