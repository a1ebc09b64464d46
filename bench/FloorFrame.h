#pragma once
#include <GL/glew.h>

#include <string>

namespace Quessel::Bench {

// The cheapest frame the window allows: clear, one full-screen quad with one bilinear
// tap of a screen-sized texture, into the window. Presenting is the caller's.
class FloorFrame {
public:
    // Needs the current context; draw only when `error` is empty.
    FloorFrame();

    void draw();

    std::string error;

private:
    GLuint program = 0;
    GLuint vertexArray = 0;
    GLuint texture = 0;
};

}  // namespace Quessel::Bench
