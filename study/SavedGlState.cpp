#include "study/SavedGlState.h"

#include "core/GlConstants.h"

namespace Quessel::Study {

SavedGlState::SavedGlState() {
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture);
    glActiveTexture(GL_TEXTURE0 + TextureUnit::StudyView);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture2D);
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &textureCube);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_BLEND_SRC_RGB, &blendSource);
    glGetIntegerv(GL_BLEND_DST_RGB, &blendDestination);
    glGetIntegerv(GL_BLEND_SRC_ALPHA, &blendSourceAlpha);
    glGetIntegerv(GL_BLEND_DST_ALPHA, &blendDestinationAlpha);
    blend = glIsEnabled(GL_BLEND);
    depthTest = glIsEnabled(GL_DEPTH_TEST);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
}

namespace {
void setEnabled(GLenum capability, GLboolean enabled) {
    if (enabled)
        glEnable(capability);
    else
        glDisable(capability);
}
}  // namespace

SavedGlState::~SavedGlState() {
    glUseProgram(static_cast<GLuint>(program));
    glBindVertexArray(static_cast<GLuint>(vertexArray));
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer));
    glActiveTexture(GL_TEXTURE0 + TextureUnit::StudyView);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture2D));
    glBindTexture(GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(textureCube));
    glActiveTexture(static_cast<GLenum>(activeTexture));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(framebuffer));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glBlendFuncSeparate(static_cast<GLenum>(blendSource), static_cast<GLenum>(blendDestination),
                        static_cast<GLenum>(blendSourceAlpha), static_cast<GLenum>(blendDestinationAlpha));
    setEnabled(GL_BLEND, blend);
    setEnabled(GL_DEPTH_TEST, depthTest);
    glDepthMask(depthMask);
}

}  // namespace Quessel::Study
