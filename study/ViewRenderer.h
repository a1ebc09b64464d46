#pragma once
#include "math/MathTypes.h"
#include "study/ViewPrograms.h"

#include <GL/glew.h>

#include <memory>
#include <string>

namespace Quessel::Study {

class TextLabels;

// Draws what F2 shows over the window's frame: the colour target, the depth target as
// distance, or a cube map unfolded as a cross, each labelled. It leaves the GL state as
// it found it.
class ViewRenderer {
public:
    // The depth view's grey ramp: white at the nearer distance, black at the farther one
    // and beyond (metres, logarithmic in between).
    static constexpr float Nearest = 1.0f;
    static constexpr float Farthest = 50.0f;

    // One cell of the cross: a face seen from the cube's centre. The middle row turns
    // right from +X through +Z, -X and -Z, the way a viewer inside turns in the world's
    // right-handed frame; +Y and -Y sit above and below +Z, their edges meeting its edges.
    struct CrossFace {
        const char* label;
        int column;
        int row;  // from the top
        vec3 forward;
        vec3 right;
        vec3 up;
    };
    static const CrossFace crossFaces[6];
    static constexpr int CrossCell = 256;
    // The cross's top-left corner in the window.
    static constexpr int CrossLeft = 128;
    static constexpr int CrossTop = 0;

    ViewRenderer();
    ~ViewRenderer();

    // Builds the programs and the label font; false with the reason in `log`.
    bool init(std::string& log);

    void drawColorTarget(GLuint texture);
    // `scale`: the distances above are for the demo's courtyard; a scene of another size
    // scales them (its radius over the courtyard's).
    void drawDepthTarget(GLuint texture, const mat4& projection, float scale = 1.0f);
    // `cubeMap` a GL_TEXTURE_CUBE_MAP; `name` says whose it is.
    void drawCubeMap(GLuint cubeMap, const std::string& name);
    // The whole window: a bar filled to `done` (0 to 1) with a line of text above it.
    void drawProgress(float done, const std::string& text);

private:
    void begin();
    void rectangle(GLuint program, float left, float bottom, float width, float height);
    void caption(const std::string& text, float left, float top);
    void caption(const std::string& text);

    ViewPrograms programs;
    std::unique_ptr<TextLabels> labels;
    GLuint emptyVertexArray = 0;
};

}  // namespace Quessel::Study
