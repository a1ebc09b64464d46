#include "particles/ParticleSystem.h"

#include "core/Console.h"
#include "core/GlConstants.h"
#include "math/Camera.h"
#include "scene/ImageHeader.h"
#include "scene/Importer.h"
#include "scene/ShaderRegistry.h"

#include <IL/il.h>

#include <cmath>
#include <cstdlib>

namespace Quessel {

namespace {
const char* const SpriteFile = "smoke.png";

float nextRandom() {
    // The divisor is fixed; glibc's larger range is reduced to the 15 bits it expects.
    return static_cast<float>(std::rand() & 0x7FFF) / 32767.0f;
}

void allocate(GLuint buffer, GLsizeiptr size, GLenum usage) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, size, nullptr, usage);
}

void upload(GLuint buffer, const std::vector<float>& data) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(data.size() * sizeof(float)), data.data());
}

void pointAttribute(GLuint location, GLint components, GLuint buffer) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(location);
}
}  // namespace

vec3 ParticleSystem::initialPosition(const vec3& e) {
    const float doubled = 2.0f * e.x;
    return vec3(static_cast<float>(static_cast<double>(doubled) - 0.5), 2.0f * e.y, 2.0f * e.z - 1.0f);
}

std::vector<float> ParticleSystem::initialVelocities(int count) {
    std::vector<float> data;
    data.reserve(static_cast<size_t>(count) * 3);
    for (int i = 0; i < count; ++i) {
        const float theta = nextRandom() * 2.0943952f + 0.0f;  // cone of 120 degrees around +Y
        const float phi = nextRandom() * 6.2831855f + 0.0f;
        const float sinTheta = static_cast<float>(std::sin(static_cast<double>(theta)));
        const float cosTheta = static_cast<float>(std::cos(static_cast<double>(theta)));
        const float sinPhi = static_cast<float>(std::sin(static_cast<double>(phi)));
        const float cosPhi = static_cast<float>(std::cos(static_cast<double>(phi)));
        const vec3 v(sinTheta * cosPhi, cosTheta, sinTheta * sinPhi);
        const float speed = nextRandom() * 0.0f + 0.05f;  // drawn, but the speed is fixed
        const vec3 velocity = glm::normalize(v) * speed;
        data.insert(data.end(), {velocity.x, velocity.y, velocity.z});
    }
    return data;
}

std::vector<float> ParticleSystem::startTimes(int count) {
    std::vector<float> data(static_cast<size_t>(count));
    float t = 0.0f;
    for (float& value : data) {
        value = t;
        t += 0.1f;  // summed in float, so the last is 99.899048, not 99.9
    }
    return data;
}

ParticleSystem::ParticleSystem(Importer* importer, const vec3& emitter) : emitterPosition(emitter), importer(importer) {
    drawBuffer = 1;
    ShaderRegistry& registry = *importer->registry;
    registry.use("particle");
    const GLuint program = registry.get("particle").program;
    findSubroutines(registry.get("particle"));

    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glPointSize(100.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    particleCount = 1000;
    createBuffers();
    uploadInitialState();
    createVertexArrays();
    createFeedbacks();
    loadTexture();

    glUniform3f(glGetUniformLocation(program, "Accel"), 0.0f, 0.1f, 0.0f);
    glUniform1f(glGetUniformLocation(program, "ParticleLifetime"), 10.0f);
}

void ParticleSystem::createBuffers() {
    // All eight names first, then their storage: state sets, then the launch data, then
    // the birth times.
    glGenBuffers(2, positionBuffers);
    glGenBuffers(2, velocityBuffers);
    glGenBuffers(2, startTimeBuffers);
    glGenBuffers(1, &initialVelocityBuffer);
    glGenBuffers(1, &initialPositionBuffer);
    const GLsizeiptr vec3Size = particleCount * 3 * static_cast<GLsizeiptr>(sizeof(float));
    const GLsizeiptr floatSize = particleCount * static_cast<GLsizeiptr>(sizeof(float));
    for (GLuint buffer : positionBuffers) allocate(buffer, vec3Size, GL_DYNAMIC_COPY);
    for (GLuint buffer : velocityBuffers) allocate(buffer, vec3Size, GL_DYNAMIC_COPY);
    allocate(initialVelocityBuffer, vec3Size, GL_STATIC_DRAW);
    allocate(initialPositionBuffer, vec3Size, GL_STATIC_DRAW);
    for (GLuint buffer : startTimeBuffers) allocate(buffer, floatSize, GL_DYNAMIC_COPY);
}

void ParticleSystem::uploadInitialState() {
    const vec3 start = initialPosition(emitterPosition);
    std::vector<float> positions;
    positions.reserve(static_cast<size_t>(particleCount) * 3);
    for (int i = 0; i < particleCount; ++i) positions.insert(positions.end(), {start.x, start.y, start.z});
    upload(positionBuffers[0], positions);
    upload(initialPositionBuffer, positions);

    const std::vector<float> velocities = initialVelocities(particleCount);
    upload(velocityBuffers[0], velocities);
    upload(initialVelocityBuffer, velocities);

    time = 0.0f;
    deltaTime = 0.0f;
    upload(startTimeBuffers[0], startTimes(particleCount));
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void ParticleSystem::createVertexArrays() {
    glGenVertexArrays(2, vertexArrays);
    for (int k = 0; k < 2; ++k) {
        glBindVertexArray(vertexArrays[k]);
        pointAttribute(0, 3, positionBuffers[k]);
        pointAttribute(1, 3, velocityBuffers[k]);
        pointAttribute(2, 1, startTimeBuffers[k]);
        pointAttribute(3, 3, initialVelocityBuffer);
        pointAttribute(4, 3, initialPositionBuffer);
    }
    glBindVertexArray(vertexArrays[0]);
}

void ParticleSystem::createFeedbacks() {
    glGenTransformFeedbacks(2, feedbacks);
    for (int k = 0; k < 2; ++k) {
        glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, feedbacks[k]);
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, positionBuffers[k]);
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 1, velocityBuffers[k]);
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 2, startTimeBuffers[k]);
    }
    glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, feedbacks[0]);
}

void ParticleSystem::loadTexture() {
    glActiveTexture(GL_TEXTURE0 + TextureUnit::ParticleLoad);
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    GLuint name = 0;
    glGenTextures(1, &name);
    ilBindImage(image);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    if (imageSizeFits(SpriteFile) && ilLoadImage(SpriteFile)) {
        ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
        glUniform1i(glGetUniformLocation(importer->registry->get("particle").program, "ParticleTex"), 0);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT), 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, ilGetData());
        texture = name;
    } else {
        printConsole("Couldn't load Image: %s\n", SpriteFile);
    }
    ilDeleteImages(1, &image);
}

void ParticleSystem::findSubroutines(const ShaderProgram& record) {
    renderSubroutine = glGetSubroutineIndex(record.program, GL_VERTEX_SHADER, "render");
    updateSubroutine = glGetSubroutineIndex(record.program, GL_VERTEX_SHADER, "update");
    subroutinesOfLink = record.links;
}

void ParticleSystem::draw(bool render) {
    ShaderRegistry& registry = *importer->registry;
    const ShaderProgram& record = registry.get("particle");
    const GLuint program = record.program;
    // A relink (shaders reloaded or swapped) may number the subroutines differently.
    if (record.links != subroutinesOfLink) findSubroutines(record);
    if (registry.current) glUniform1i(glGetUniformLocation(registry.current->program, "ParticleTex"), 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);

    glUniformSubroutinesuiv(GL_VERTEX_SHADER, 1, &updateSubroutine);
    glUniform1f(glGetUniformLocation(program, "Time"), time);
    glUniform1f(glGetUniformLocation(program, "H"), deltaTime);
    glUniform3fv(glGetUniformLocation(program, "CameraPosition"), 1, glm::value_ptr(Camera::instance().position));

    glEnable(GL_RASTERIZER_DISCARD);
    glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, feedbacks[drawBuffer]);
    glBeginTransformFeedback(GL_POINTS);
    glBindVertexArray(vertexArrays[1 - drawBuffer]);
    glDrawArrays(GL_POINTS, 0, particleCount);
    glEndTransformFeedback();
    glDisable(GL_RASTERIZER_DISCARD);

    if (render) {
        glUniformSubroutinesuiv(GL_VERTEX_SHADER, 1, &renderSubroutine);
        glBindVertexArray(vertexArrays[drawBuffer]);
        glDrawTransformFeedback(GL_POINTS, feedbacks[drawBuffer]);
    }

    drawBuffer = 1 - drawBuffer;
}

}  // namespace Quessel
