#include "bench/FloorFrame.h"

#include "core/GlConstants.h"
#include "scene/ShaderProgram.h"

#include <vector>

namespace Quessel::Bench {

namespace {
// The quad's corners (-1, -1), (1, -1), (-1, 1), (1, 1) as a strip, from the vertex number.
const char* const VertexSource = R"(#version 430 core
out vec2 uv;
void main() {
    uv = vec2(gl_VertexID & 1, gl_VertexID >> 1);
    gl_Position = vec4(uv * 2.0 - 1.0, 0.0, 1.0);
}
)";

const char* const FragmentSource = R"(#version 430 core
layout(binding = 0) uniform sampler2D image;
in vec2 uv;
out vec4 color;
void main() { color = texture(image, uv); }
)";

GLuint compile(GLenum type, const char* source) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}
}  // namespace

FloorFrame::FloorFrame() {
    const GLuint vertex = compile(GL_VERTEX_SHADER, VertexSource);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, FragmentSource);
    program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        error = Quessel::shaderInfoLog(vertex) + Quessel::shaderInfoLog(fragment) + Quessel::programInfoLog(program);
        return;
    }

    // The core profile draws only with a vertex array bound, even an empty one.
    glGenVertexArrays(1, &vertexArray);

    // A gradient, so the quad's samples are not all one value.
    const int width = Quessel::ScreenWidth;
    const int height = Quessel::ScreenHeight;
    std::vector<unsigned char> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.insert(pixels.end(),
                          {static_cast<unsigned char>(x * 255 / width), static_cast<unsigned char>(y * 255 / height),
                           static_cast<unsigned char>((x ^ y) & 0xff), 255});
    glActiveTexture(GL_TEXTURE0);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (glGetError() != GL_NO_ERROR) error = "a GL error while building it";
}

void FloorFrame::draw() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, Quessel::ScreenWidth, Quessel::ScreenHeight);
    // Blending stays as the demo leaves it (on), as it is for the composite's quad.
    glDisable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    glEnable(GL_DEPTH_TEST);
}

}  // namespace Quessel::Bench
