#pragma once
// Records the demo's draw calls with the state they draw with, and the state calls whose
// effect the shaders' layout qualifiers or GL's defaults would hide, by standing in for
// the GL entry points the code calls.
#include <GL/glew.h>
#include <glm/glm.hpp>

#include <map>
#include <string>
#include <vector>

namespace Quessel::Test {

// A sampler of the program in use: the unit it reads and the texture bound there.
struct SamplerUse {
    std::string name;
    GLenum type;  // GL_SAMPLER_2D or GL_SAMPLER_CUBE
    GLint unit;
    GLuint texture;
};

struct DrawCall {
    enum Kind { Elements, Arrays, TransformFeedback } kind = Elements;
    GLuint framebuffer = 0;
    GLuint program = 0;
    GLsizei count = 0;  // indices or vertices; 0 for a transform-feedback draw
    GLint viewport[4] = {};
    bool depthTest = false;
    GLenum depthFunction = 0;
    bool polygonOffset = false;  // for filled polygons
    bool depthWrites = false;
    GLuint vertexSubroutine = GL_INVALID_INDEX;  // of the first subroutine uniform, if any
    std::vector<SamplerUse> samplers;
    // Projection and view in the buffers bound to "Matrices" and "PreviousMatrices".
    glm::mat4 projection, view, previousProjection, previousView;

    // The sampler of that name; fails the test when the program has none.
    const SamplerUse& sampler(const std::string& name) const;
    // The program's only sampler of that type; fails the test unless there is one.
    const SamplerUse& sampler(GLenum type) const;
};

// Consecutive draws into the same framebuffer with the same program.
struct PassRun {
    GLuint framebuffer;
    GLuint program;
    std::vector<DrawCall> draws;
};

// A glClear with the draw framebuffer and the clear colour in force.
struct ClearCall {
    GLuint framebuffer;
    GLbitfield mask;
    GLfloat color[4];
};

class GlCallRecorder {
public:
    GlCallRecorder();   // starts recording
    ~GlCallRecorder();  // stops

    const std::vector<DrawCall>& calls() const;
    std::vector<PassRun> runs() const;
    const std::vector<ClearCall>& clears() const;
    // Capabilities passed to glEnable, in call order.
    const std::vector<GLenum>& enabled() const;
    // The last value given to each glTexParameteri name of the texture, wherever bound.
    std::map<GLenum, GLint> textureParameters(GLuint texture) const;
    void clear();
};

}  // namespace Quessel::Test
