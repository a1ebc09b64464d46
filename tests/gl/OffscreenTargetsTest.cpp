// The screen-sized targets and the composite's quad, read back from GL.
#include "GlTestContext.h"

#include "app/OffscreenFramebuffer.h"
#include "app/ScreenQuad.h"
#include "scene/ShaderRegistry.h"

#include <vector>

using namespace Quessel;

namespace {

class OffscreenTargetsTest : public Quessel::Test::GlTest {};

GLint attachment(GLenum point, GLenum name) {
    GLint value = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, point, name, &value);
    return value;
}

template <typename T>
std::vector<T> readBuffer(GLenum target, GLuint buffer) {
    GLint size = 0;
    glBindBuffer(target, buffer);
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
    std::vector<T> data(static_cast<size_t>(size) / sizeof(T));
    glGetBufferSubData(target, 0, size, data.data());
    glBindBuffer(target, 0);
    return data;
}

}  // namespace

TEST_F(OffscreenTargetsTest, TwoTargetsAreDistinctCompleteAndLeftBound) {
    GLint bound = 0;
    OffscreenFramebuffer depthTarget;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, static_cast<GLint>(depthTarget.framebuffer));
    OffscreenFramebuffer colorTarget;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, static_cast<GLint>(colorTarget.framebuffer));
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
        const GLenum levelQueries[5] = {GL_TEXTURE_WIDTH, GL_TEXTURE_HEIGHT, GL_TEXTURE_RED_SIZE, GL_TEXTURE_BLUE_SIZE,
                                        GL_TEXTURE_ALPHA_SIZE};
        const GLint levelValues[5] = {1280, 768, 8, 8, 0};
        for (int i = 0; i < 5; ++i) {
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, levelQueries[i], &value);
            EXPECT_EQ(value, levelValues[i]) << i;
        }
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
        EXPECT_EQ(value, GL_LINEAR);
        glBindRenderbuffer(GL_RENDERBUFFER, target->renderbuffer);
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_INTERNAL_FORMAT, &value);
        EXPECT_EQ(value, GL_DEPTH24_STENCIL8);
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &value);
        EXPECT_EQ(value, 1280);
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_HEIGHT, &value);
        EXPECT_EQ(value, 768);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(OffscreenTargetsTest, ScreenQuadHoldsTheTableAndRecordsItsLayout) {
    ShaderRegistry& registry = ShaderRegistry::instance();
    registry.buildStandardPrograms();
    registry.use("motionblur");
    Quessel::Test::clearGlErrors();  // building may flag blocks a program lacks
    const ScreenQuad quad(registry);
    GLint value = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &value);
    EXPECT_EQ(value, 0);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &value);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    EXPECT_EQ(readBuffer<float>(GL_ARRAY_BUFFER, quad.positionBuffer),
              (std::vector<float>{-1, -1, 1, -1, 1, 1, 1, 1, -1, 1, -1, -1}));
    EXPECT_EQ(readBuffer<float>(GL_ARRAY_BUFFER, quad.texCoordBuffer),
              (std::vector<float>{0, 0, 1, 0, 1, 1, 1, 1, 0, 1, 0, 0}));
    glBindVertexArray(quad.vertexArray);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &value);
    EXPECT_EQ(value, static_cast<GLint>(quad.indexBuffer));
    EXPECT_EQ(readBuffer<GLuint>(GL_ELEMENT_ARRAY_BUFFER, quad.indexBuffer), (std::vector<GLuint>{0, 1, 2, 2, 3, 0}));

    const GLuint program = registry.get("motionblur").program;
    const std::pair<const char*, GLuint> inputs[2] = {{"vpos", quad.positionBuffer}, {"tex", quad.texCoordBuffer}};
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.first);
        const GLint location = glGetAttribLocation(program, input.first);
        ASSERT_GE(location, 0);
        const GLuint index = static_cast<GLuint>(location);
        glGetVertexAttribiv(index, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &value);
        EXPECT_EQ(value, GL_TRUE);
        glGetVertexAttribiv(index, GL_VERTEX_ATTRIB_ARRAY_SIZE, &value);
        EXPECT_EQ(value, 3);
        glGetVertexAttribiv(index, GL_VERTEX_ATTRIB_ARRAY_TYPE, &value);
        EXPECT_EQ(value, GL_FLOAT);
        glGetVertexAttribiv(index, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &value);
        EXPECT_EQ(value, 0);
        glGetVertexAttribiv(index, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &value);
        EXPECT_EQ(value, static_cast<GLint>(input.second));
    }
}
