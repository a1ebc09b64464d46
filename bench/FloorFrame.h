#pragma once
#include <GL/glew.h>

namespace Quessel::Bench {

// The cheapest frame the window allows: clear, one full-screen quad with one bilinear
// tap of a screen-sized texture, into the window. Presenting is the caller's.
class FloorFrame {
public:
    // Needs the current context; check `ready` before drawing.
    FloorFrame();

    void draw();

    bool ready = false;

private:
    bool buildProgram();
    void buildQuad();
    void buildTexture();

    GLuint program = 0;
    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    GLuint texture = 0;
};

}  // namespace Quessel::Bench
