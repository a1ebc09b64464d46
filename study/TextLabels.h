#pragma once
#include "math/MathTypes.h"

#include <GL/glew.h>

#include <memory>
#include <string>
#include <vector>

struct ImFontAtlas;
struct ImFont;

namespace Quessel::Study {

// Short labels over the views, on a dark box each, in Dear ImGui's built-in font drawn by
// the study tool's own program. Not with ImGui's draw lists: the views and the progress
// screen are drawn with the overlay hidden, and a hidden overlay starts no ImGui and makes
// no GL call of its own (its cost is measured against that); only the font atlas is shared.
class TextLabels {
public:
    // `program`: the text program of ViewPrograms. Uploads the font atlas.
    explicit TextLabels(GLuint program);
    ~TextLabels();

    // A label with its top-left corner `left` pixels from the window's left edge and `top`
    // pixels below its top.
    void add(const std::string& text, float left, float top);
    // A plain box, drawn with the labels.
    void box(float left, float top, float width, float height, const vec4& colour);
    float width(const std::string& text) const;
    float height() const;
    // Draws the labels added since the last draw into the bound framebuffer (blending on).
    void draw(int windowWidth, int windowHeight);

private:
    struct Vertex {
        float x, y, u, v;
        float r, g, b, a;
    };
    void quad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1, const vec4& colour);

    std::unique_ptr<ImFontAtlas> atlas;
    ImFont* font = nullptr;
    GLuint program;
    GLuint texture = 0;
    GLuint vertexArray = 0;
    GLuint buffer = 0;
    // In window pixels from the top left, as the font's glyphs are laid out.
    std::vector<Vertex> vertices;
};

}  // namespace Quessel::Study
