#pragma once
// Records the draw calls of the demo with the framebuffer and program in force, by
// standing in for the GL entry points the code calls.
#include <GL/glew.h>

#include <vector>

namespace QuesselTest {

struct DrawCall {
    enum Kind { Elements, Arrays, TransformFeedback } kind;
    GLuint framebuffer;
    GLuint program;
    GLsizei count;  // indices or vertices; 0 for a transform-feedback draw
};

// Consecutive draws into the same framebuffer with the same program.
struct PassRun {
    GLuint framebuffer;
    GLuint program;
    std::vector<DrawCall> draws;
};

class GlCallRecorder {
public:
    GlCallRecorder();   // starts recording
    ~GlCallRecorder();  // stops

    const std::vector<DrawCall>& calls() const;
    std::vector<PassRun> runs() const;
    void clear();
};

}  // namespace QuesselTest
