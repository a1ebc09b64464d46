#pragma once
#include "math/MathTypes.h"

#include <GL/glew.h>

#include <vector>

namespace Quessel {

class Importer;
class ShaderProgram;

// The smoke emitter: 1000 particles simulated on the GPU by transform feedback, two
// state sets used in turn so no pass reads and writes the same buffers.
class ParticleSystem {
public:
    // The smoke rises from the courtyard's chimney, or where a brought scene asks for it.
    explicit ParticleSystem(Importer* importer, const vec3& emitter = chimney());
    static vec3 chimney() { return vec3(-1.77863f, 3.77f, -2.08176f); }

    // One simulation step and one render with `time` and `deltaTime` as set by the frame;
    // without `render`, the step alone (a frame that only brings the demo to a later time).
    void draw(bool render = true);

    // The initial state, computed apart from the upload.
    static vec3 initialPosition(const vec3& emitter);
    // Draws three numbers per particle from rand(), reduced to 0..32767.
    static std::vector<float> initialVelocities(int count);
    static std::vector<float> startTimes(int count);

    vec3 emitterPosition;
    Importer* importer;
    GLuint positionBuffers[2] = {0, 0};
    GLuint velocityBuffers[2] = {0, 0};
    GLuint vertexArrays[2] = {0, 0};
    GLuint feedbacks[2] = {0, 0};
    GLuint initialVelocityBuffer = 0;
    GLuint initialPositionBuffer = 0;
    GLuint startTimeBuffers[2] = {0, 0};
    GLuint renderSubroutine = 0;
    GLuint updateSubroutine = 0;
    GLuint texture = 0;
    int drawBuffer = 1;
    int particleCount = 1000;
    float time = 0.0f;
    float deltaTime = 0.0f;

private:
    // The link of "particle" the subroutine indices were read from.
    int subroutinesOfLink = 0;

    void findSubroutines(const ShaderProgram& record);
    void createBuffers();
    void uploadInitialState();
    void createVertexArrays();
    void createFeedbacks();
    void loadTexture();
};

}  // namespace Quessel
