#include "GlTestHelpers.h"

#include "ExpectGlErrors.h"
#include "TestScene.h"

#include "scene/ShaderRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <list>

namespace Quessel::Test {

ShaderRegistry& standardPrograms() {
    ShaderRegistry& registry = ShaderRegistry::instance();
    ExpectGlErrors blocksAProgramLacks{GL_INVALID_VALUE};
    registry.buildStandardPrograms();
    return registry;
}

ShaderProgram& programFromSource(const std::string& name, const std::string& vertex, const std::string& fragment,
                                 int* blockErrors) {
    // The registry keeps the name and paths it is given for the whole run.
    static ScratchDir dir;
    static std::list<std::string> texts;
    static int serial = 0;
    const std::string unique = name + "-" + std::to_string(serial++);
    const std::string& vertexPath = texts.emplace_back(dir.file(unique + ".vert"));
    const std::string& fragmentPath = texts.emplace_back(dir.file(unique + ".frag"));
    std::ofstream(vertexPath) << vertex;
    std::ofstream(fragmentPath) << fragment;
    ExpectGlErrors blocksTheTextLacks{GL_INVALID_VALUE};
    ShaderProgram& program =
        ShaderRegistry::instance().add(texts.emplace_back(unique).c_str(), vertexPath.c_str(), fragmentPath.c_str());
    if (blockErrors) *blockErrors = blocksTheTextLacks.count();
    return program;
}

RenderTarget::RenderTarget(int width, int height, GLenum colorFormat) : width(width), height(height) {
    glGenTextures(1, &color);
    glBindTexture(GL_TEXTURE_2D, color);
    glTexStorage2D(GL_TEXTURE_2D, 1, colorFormat, width, height);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glGenTextures(1, &depth);
    glBindTexture(GL_TEXTURE_2D, depth);
    glTexStorage2D(GL_TEXTURE_2D, 1, GL_DEPTH_COMPONENT32F, width, height);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &framebuffer);
    bind();
    glFramebufferTexture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, color, 0);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, depth, 0);
}

RenderTarget::~RenderTarget() {
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &color);
    glDeleteTextures(1, &depth);
}

void RenderTarget::bind() const {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
}

RgbImage RenderTarget::image() const { return RgbImage::readTexture(color); }

Texels readTexels(GLuint texture, GLenum image, int level) {
    const GLenum target = image == GL_TEXTURE_2D ? GL_TEXTURE_2D : GL_TEXTURE_CUBE_MAP;
    Texels texels;
    glBindTexture(target, texture);
    glGetTexLevelParameteriv(image, level, GL_TEXTURE_WIDTH, &texels.width);
    glGetTexLevelParameteriv(image, level, GL_TEXTURE_HEIGHT, &texels.height);
    texels.rgba.resize(static_cast<size_t>(texels.width) * texels.height);
    if (!texels.rgba.empty()) glGetTexImage(image, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.rgba.data());
    glBindTexture(target, 0);
    return texels;
}

void expectTextureParameters(GLenum target, GLuint texture, std::initializer_list<std::pair<GLenum, GLint>> expected,
                             GLenum image) {
    glBindTexture(target, texture);
    for (const auto& [name, value] : expected) {
        GLint actual = -1;
        if (name == GL_TEXTURE_INTERNAL_FORMAT || name == GL_TEXTURE_WIDTH)
            glGetTexLevelParameteriv(image ? image : target, 0, name, &actual);
        else
            glGetTexParameteriv(target, name, &actual);
        EXPECT_EQ(actual, value) << "texture " << texture << ", parameter 0x" << std::hex << name;
    }
    glBindTexture(target, 0);
}

RgbImage Texels::rgb() const {
    RgbImage image{width, height, {}};
    for (const Rgba& texel : rgba) image.pixels.insert(image.pixels.end(), texel.begin(), texel.begin() + 3);
    return image;
}

GLuint makeTexture(int width, int height, const std::vector<Rgba>& rgba, bool mipmapped) {
    int levels = 1;
    while (mipmapped && (std::max(width, height) >> levels) > 0) ++levels;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexStorage2D(GL_TEXTURE_2D, levels, GL_RGBA8, width, height);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    if (mipmapped) glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mipmapped ? GL_LINEAR : GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

GLuint makeCubeMap(int size, const std::function<Rgba(int face, int x, int y)>& texel) {
    GLuint cube = 0;
    glGenTextures(1, &cube);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    glTexStorage2D(GL_TEXTURE_CUBE_MAP, 1, GL_RGBA8, size, size);
    std::vector<Rgba> face(static_cast<size_t>(size) * size);
    for (int f = 0; f < 6; ++f) {
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) face[static_cast<size_t>(y) * size + x] = texel(f, x, y);
        glTexSubImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, 0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE,
                        face.data());
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return cube;
}

GLuint makeUniformBuffer(GLsizeiptr size, GLuint binding, const void* data) {
    const std::vector<unsigned char> zeros(static_cast<size_t>(size), 0);
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    glBufferData(GL_UNIFORM_BUFFER, size, data ? data : zeros.data(), GL_DYNAMIC_DRAW);
    glBindBufferRange(GL_UNIFORM_BUFFER, binding, buffer, 0, size);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    return buffer;
}

std::vector<unsigned char> readBufferBytes(GLuint buffer, size_t bytes, GLintptr offset) {
    GLint previous = 0;
    glGetIntegerv(GL_COPY_READ_BUFFER_BINDING, &previous);
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    GLint size = 0;
    glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
    if (bytes == 0) bytes = static_cast<size_t>(std::max<GLintptr>(size - offset, 0));
    std::vector<unsigned char> data(bytes);
    if (bytes > 0) glGetBufferSubData(GL_COPY_READ_BUFFER, offset, static_cast<GLsizeiptr>(bytes), data.data());
    glBindBuffer(GL_COPY_READ_BUFFER, static_cast<GLuint>(previous));
    return data;
}

}  // namespace Quessel::Test
