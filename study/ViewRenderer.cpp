#include "study/ViewRenderer.h"

#include "core/GlConstants.h"
#include "study/SavedGlState.h"
#include "study/TextLabels.h"

#include <fmt/format.h>

#include <algorithm>

namespace Quessel::Study {

namespace {
constexpr float Margin = 8.0f;
const GLfloat Backdrop[4] = {0.12f, 0.12f, 0.14f, 1.0f};
}  // namespace

const ViewRenderer::CrossFace ViewRenderer::crossFaces[6] = {
    {"+X", 0, 1, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},   {"-X", 2, 1, {-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
    {"+Y", 1, 0, {0, 1, 0}, {-1, 0, 0}, {0, 0, -1}}, {"-Y", 1, 2, {0, -1, 0}, {-1, 0, 0}, {0, 0, 1}},
    {"+Z", 1, 1, {0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},  {"-Z", 3, 1, {0, 0, -1}, {1, 0, 0}, {0, 1, 0}},
};

ViewRenderer::ViewRenderer() = default;
ViewRenderer::~ViewRenderer() = default;

bool ViewRenderer::init(std::string& log) {
    if (!programs.build(log)) return false;
    SavedGlState saved;
    labels = std::make_unique<TextLabels>(programs.text);
    glGenVertexArrays(1, &emptyVertexArray);
    return true;
}

void ViewRenderer::begin() {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glViewport(0, 0, ScreenWidth, ScreenHeight);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glBindVertexArray(emptyVertexArray);
    glActiveTexture(GL_TEXTURE0 + TextureUnit::StudyView);
}

void ViewRenderer::rectangle(GLuint program, float left, float bottom, float width, float height) {
    glUseProgram(program);
    glUniform2f(glGetUniformLocation(program, "windowSize"), static_cast<float>(ScreenWidth),
                static_cast<float>(ScreenHeight));
    glUniform4f(glGetUniformLocation(program, "rectangle"), left, bottom, width, height);
    glBindVertexArray(emptyVertexArray);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void ViewRenderer::caption(const std::string& text, float left, float top) {
    labels->add(text, left, top);
    labels->draw(ScreenWidth, ScreenHeight);
}

void ViewRenderer::caption(const std::string& text) {
    // The bottom-left corner: the overlay has the top-left one.
    caption(text, Margin, static_cast<float>(ScreenHeight) - labels->height() - 3.0f * Margin);
}

void ViewRenderer::drawColorTarget(GLuint texture) {
    if (!labels) return;
    SavedGlState saved;
    begin();
    glBindTexture(GL_TEXTURE_2D, texture);
    rectangle(programs.color, 0.0f, 0.0f, ScreenWidth, ScreenHeight);
    caption("colour target: the main, reflect, refract and particle passes, before the composite");
}

void ViewRenderer::drawDepthTarget(GLuint texture, const mat4& projection, float scale) {
    if (!labels) return;
    SavedGlState saved;
    begin();
    glBindTexture(GL_TEXTURE_2D, texture);
    const GLuint program = programs.depth;
    glUseProgram(program);
    glUniform2f(glGetUniformLocation(program, "projectionDepth"), projection[2][2], projection[3][2]);
    glUniform1f(glGetUniformLocation(program, "nearest"), Nearest * scale);
    glUniform1f(glGetUniformLocation(program, "farthest"), Farthest * scale);
    rectangle(program, 0.0f, 0.0f, ScreenWidth, ScreenHeight);
    const char* unit = scale == 1.0f ? "m" : "units";
    caption(fmt::format("depth target as distance: white at {:.3g} {}, black at {:.3g} {} and beyond (logarithmic)",
                        Nearest * scale, unit, Farthest * scale, unit));
}

void ViewRenderer::drawCubeMap(GLuint cubeMap, const std::string& name) {
    if (!labels) return;
    SavedGlState saved;
    begin();
    glClearBufferfv(GL_COLOR, 0, Backdrop);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    const GLuint program = programs.cube;
    glUseProgram(program);
    const float cell = static_cast<float>(CrossCell);
    for (const CrossFace& face : crossFaces) {
        glUniform3fv(glGetUniformLocation(program, "forward"), 1, glm::value_ptr(face.forward));
        glUniform3fv(glGetUniformLocation(program, "right"), 1, glm::value_ptr(face.right));
        glUniform3fv(glGetUniformLocation(program, "up"), 1, glm::value_ptr(face.up));
        const float left = static_cast<float>(CrossLeft) + face.column * cell;
        const float top = static_cast<float>(CrossTop) + face.row * cell;
        rectangle(program, left, static_cast<float>(ScreenHeight) - top - cell, cell, cell);
        labels->add(face.label, left + Margin, top + Margin);
    }
    // Above -X and -Z, where the cross leaves room.
    caption("cube map of " + name + ", seen from its centre", static_cast<float>(CrossLeft) + 2.0f * cell + Margin,
            static_cast<float>(CrossTop) + Margin);
}

void ViewRenderer::drawProgress(float done, const std::string& text) {
    if (!labels) return;
    SavedGlState saved;
    begin();
    glClearBufferfv(GL_COLOR, 0, Backdrop);
    const float width = ScreenWidth * 0.6f;
    const float left = (ScreenWidth - width) / 2.0f;
    const float top = ScreenHeight / 2.0f;
    labels->box(left, top, width, 24.0f, vec4(0.3f, 0.3f, 0.34f, 1.0f));
    labels->box(left, top, width * std::clamp(done, 0.0f, 1.0f), 24.0f, vec4(0.85f, 0.7f, 0.2f, 1.0f));
    labels->add(text, left, top - labels->height() - 4.0f * Margin);
    labels->draw(ScreenWidth, ScreenHeight);
}

}  // namespace Quessel::Study
