#include "app/ScreenQuad.h"

#include "scene/ShaderRegistry.h"

namespace Quessel {

// The third components are part of the data (the composite ignores them).
const GLfloat ScreenQuad::positions[12] = {-1, -1, 1, -1, 1, 1, 1, 1, -1, 1, -1, -1};
const GLfloat ScreenQuad::texCoords[12] = {0, 0, 1, 0, 1, 1, 1, 1, 0, 1, 0, 0};
const GLuint ScreenQuad::indices[6] = {0, 1, 2, 2, 3, 0};

namespace {
GLuint makeBuffer(GLenum target, const void* data, GLsizeiptr size) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    glBufferData(target, size, data, GL_STATIC_DRAW);
    glBindBuffer(target, 0);
    return buffer;
}

void pointAttribute(GLuint buffer, GLuint program, const char* name) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    // A program without the attribute gives -1; the GL error it raises is reported by
    // the frame loop's check.
    const GLint location = glGetAttribLocation(program, name);
    glEnableVertexAttribArray(static_cast<GLuint>(location));
    glVertexAttribPointer(static_cast<GLuint>(location), 3, GL_FLOAT, GL_FALSE, 0, nullptr);
}
}  // namespace

ScreenQuad::ScreenQuad(ShaderRegistry& registry) : registry(&registry) {
    positionBuffer = makeBuffer(GL_ARRAY_BUFFER, positions, sizeof(positions));
    indexBuffer = makeBuffer(GL_ELEMENT_ARRAY_BUFFER, indices, sizeof(indices));
    texCoordBuffer = makeBuffer(GL_ARRAY_BUFFER, texCoords, sizeof(texCoords));
    const GLuint program = registry.current ? registry.current->program : 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    pointAttribute(positionBuffer, program, "vpos");
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    pointAttribute(texCoordBuffer, program, "tex");
    glBindVertexArray(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

}  // namespace Quessel
