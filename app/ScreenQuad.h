#pragma once
#include <GL/glew.h>

namespace Quessel {

class ShaderRegistry;

// The full-screen quad of the composite. Its attribute locations ("vpos", "tex") come
// from the registry's current program, which must be "motionblur" at construction.
class ScreenQuad {
public:
    explicit ScreenQuad(ShaderRegistry& registry);

    static const GLfloat positions[12];
    static const GLfloat texCoords[12];
    static const GLuint indices[6];

    ShaderRegistry* registry;
    GLuint positionBuffer = 0;
    GLuint indexBuffer = 0;
    GLuint texCoordBuffer = 0;
    GLuint vertexArray = 0;
};

}  // namespace Quessel
