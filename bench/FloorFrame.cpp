#include "bench/FloorFrame.h"

#include "core/GlConstants.h"

#include <cstdio>
#include <vector>

namespace Quessel::Bench {

namespace {
const char* const VertexSource = R"(#version 430 core
layout(location = 0) in vec2 position;
out vec2 uv;
void main() {
    uv = position * 0.5 + 0.5;
    gl_Position = vec4(position, 0.0, 1.0);
}
)";

const char* const FragmentSource = R"(#version 430 core
layout(binding = 0) uniform sampler2D image;
in vec2 uv;
out vec4 color;
void main() { color = texture(image, uv); }
)";

GLuint compile(GLenum type, const char* source, const char* name) {
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != GL_TRUE) {
        char log[1024] = {0};
        glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
        std::fprintf(stderr, "floor %s shader: %s\n", name, log);
    }
    return shader;
}
}  // namespace

FloorFrame::FloorFrame() {
    if (!buildProgram()) return;
    buildQuad();
    buildTexture();
    ready = glGetError() == GL_NO_ERROR;
}

bool FloorFrame::buildProgram() {
    const GLuint vertex = compile(GL_VERTEX_SHADER, VertexSource, "vertex");
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, FragmentSource, "fragment");
    program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status != GL_TRUE) {
        char log[1024] = {0};
        glGetProgramInfoLog(program, sizeof(log), nullptr, log);
        std::fprintf(stderr, "floor program: %s\n", log);
    }
    return status == GL_TRUE;
}

void FloorFrame::buildQuad() {
    const GLfloat corners[8] = {-1, -1, 1, -1, -1, 1, 1, 1};
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(corners), corners, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void FloorFrame::buildTexture() {
    // A gradient, so the quad's samples are not all one value.
    const int width = Quessel::ScreenWidth;
    const int height = Quessel::ScreenHeight;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char* pixel = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
            pixel[0] = static_cast<unsigned char>(x * 255 / width);
            pixel[1] = static_cast<unsigned char>(y * 255 / height);
            pixel[2] = static_cast<unsigned char>((x ^ y) & 0xff);
            pixel[3] = 255;
        }
    }
    glActiveTexture(GL_TEXTURE0);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
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
