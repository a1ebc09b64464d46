#include "study/TextLabels.h"

#include "core/GlConstants.h"

#include <imgui.h>

#include <cstddef>

namespace Quessel::Study {

namespace {
constexpr float FontPixels = 20.0f;
constexpr float Padding = 4.0f;
const vec4 TextColour(1.0f, 1.0f, 0.85f, 1.0f);
const vec4 BoxColour(0.0f, 0.0f, 0.0f, 0.65f);
}  // namespace

TextLabels::TextLabels(GLuint program) : atlas(std::make_unique<ImFontAtlas>()), program(program) {
    ImFontConfig config;
    config.SizePixels = FontPixels;
    font = atlas->AddFontDefault(&config);
    unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    atlas->GetTexDataAsAlpha8(&pixels, &width, &height);

    glActiveTexture(GL_TEXTURE0 + TextureUnit::StudyView);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, width, height, 0, GL_RED, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glBindTexture(GL_TEXTURE_2D, 0);

    glGenVertexArrays(1, &vertexArray);
    glGenBuffers(1, &buffer);
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const GLsizei stride = sizeof(Vertex);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, u)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Vertex, r)));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

TextLabels::~TextLabels() = default;

float TextLabels::width(const std::string& text) const {
    float advance = 0.0f;
    for (unsigned char c : text) advance += font->FindGlyph(c)->AdvanceX;
    return advance;
}

float TextLabels::height() const { return font->FontSize; }

void TextLabels::quad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1,
                      const vec4& colour) {
    const auto corner = [&](float x, float y, float u, float v) {
        vertices.push_back({x, y, u, v, colour.r, colour.g, colour.b, colour.a});
    };
    corner(x0, y0, u0, v0);
    corner(x1, y0, u1, v0);
    corner(x1, y1, u1, v1);
    corner(x0, y0, u0, v0);
    corner(x1, y1, u1, v1);
    corner(x0, y1, u0, v1);
}

void TextLabels::box(float left, float top, float boxWidth, float boxHeight, const vec4& colour) {
    const ImVec2 white = atlas->TexUvWhitePixel;
    quad(left, top, left + boxWidth, top + boxHeight, white.x, white.y, white.x, white.y, colour);
}

void TextLabels::add(const std::string& text, float left, float top) {
    const ImVec2 white = atlas->TexUvWhitePixel;
    quad(left, top, left + width(text) + 2.0f * Padding, top + height() + 2.0f * Padding, white.x, white.y, white.x,
         white.y, BoxColour);
    float x = left + Padding;
    const float y = top + Padding;
    for (unsigned char c : text) {
        const ImFontGlyph* glyph = font->FindGlyph(c);
        if (glyph->Visible)
            quad(x + glyph->X0, y + glyph->Y0, x + glyph->X1, y + glyph->Y1, glyph->U0, glyph->V0, glyph->U1, glyph->V1,
                 TextColour);
        x += glyph->AdvanceX;
    }
}

void TextLabels::draw(int width, int height) {
    if (vertices.empty()) return;
    glUseProgram(program);
    glUniform2f(glGetUniformLocation(program, "windowSize"), static_cast<float>(width), static_cast<float>(height));
    glActiveTexture(GL_TEXTURE0 + TextureUnit::StudyView);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STREAM_DRAW);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size()));
    vertices.clear();
}

}  // namespace Quessel::Study
