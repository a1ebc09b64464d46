#pragma once
#include <GL/glew.h>

namespace Quessel::Study {

// The GL state the study tool's drawing changes, read on construction and put back on
// destruction, so the demo's next pass finds what its last one left.
class SavedGlState {
public:
    SavedGlState();
    ~SavedGlState();
    SavedGlState(const SavedGlState&) = delete;
    SavedGlState& operator=(const SavedGlState&) = delete;

private:
    GLint program = 0;
    GLint vertexArray = 0;
    GLint arrayBuffer = 0;
    GLint activeTexture = 0;
    GLint texture2D = 0;
    GLint textureCube = 0;
    GLint framebuffer = 0;
    GLint viewport[4] = {0, 0, 0, 0};
    GLint blendSource = 0;
    GLint blendDestination = 0;
    GLint blendSourceAlpha = 0;
    GLint blendDestinationAlpha = 0;
    GLboolean blend = GL_FALSE;
    GLboolean depthTest = GL_FALSE;
    GLboolean depthMask = GL_TRUE;
};

}  // namespace Quessel::Study
