#pragma once
#include <GL/glew.h>

namespace Quessel {

// A screen-sized render target: RGB8 colour texture and a depth-stencil renderbuffer.
// Construction leaves its framebuffer bound.
class OffscreenFramebuffer {
public:
    OffscreenFramebuffer();

    GLuint framebuffer = 0;
    GLuint renderbuffer = 0;
    GLuint texture = 0;
};

}  // namespace Quessel
