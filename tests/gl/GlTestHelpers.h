#pragma once
// The GL objects tests make and read back: render targets, textures, cube maps, uniform
// buffers, programs from GLSL text, and the demo's nine programs built once.
#include "core/RgbImage.h"

#include <GL/glew.h>

#include <array>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace Quessel {
class ShaderProgram;
class ShaderRegistry;
}  // namespace Quessel

namespace Quessel::Test {

using Rgba = std::array<unsigned char, 4>;

// The registry with the demo's nine programs, built on first use. Building binds every
// shared block, also those a program lacks: the GL_INVALID_VALUE that raises is expected.
ShaderRegistry& standardPrograms();

// A program built by the registry's builder from GLSL text (written to files, which is
// what the builder reads) under a name of its own in this process. `blockErrors` receives
// the GL_INVALID_VALUE count of the block bindings the text lacks.
ShaderProgram& programFromSource(const std::string& name, const std::string& vertex, const std::string& fragment,
                                 int* blockErrors = nullptr);

// A colour texture (RGBA8 or RGB8) and a 32-bit depth texture in a framebuffer.
struct RenderTarget {
    GLuint framebuffer = 0;
    GLuint color = 0;
    GLuint depth = 0;
    int width;
    int height;

    RenderTarget(int width, int height, GLenum colorFormat = GL_RGBA8);
    ~RenderTarget();
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    // Binds the framebuffer and sets the viewport to the whole target.
    void bind() const;
    RgbImage image() const;
};

// A texture image as RGBA bytes, rows bottom-up as GL keeps them: what RgbImage does not
// read (alpha, cube faces, mipmap levels). `image` is GL_TEXTURE_2D or a cube face.
struct Texels {
    int width = 0;
    int height = 0;
    std::vector<Rgba> rgba;
    const Rgba& at(int x, int y) const { return rgba[static_cast<size_t>(y) * width + x]; }
    // Without alpha, to compare with ImageDifference.
    RgbImage rgb() const;
};
Texels readTexels(GLuint texture, GLenum image = GL_TEXTURE_2D, int level = 0);

// Expects each (name, value) of the texture bound to `target`: texture parameters, and
// level parameters (format, width) of level 0 of `image` (a cube face) or of `target`.
void expectTextureParameters(GLenum target, GLuint texture, std::initializer_list<std::pair<GLenum, GLint>> expected,
                             GLenum image = 0);

// A 2D RGBA8 texture, rows bottom-up: nearest filtering, or linear over a whole mipmap
// chain like the demo's colour target in the composite.
GLuint makeTexture(int width, int height, const std::vector<Rgba>& rgba, bool mipmapped = false);
// A cube map of RGBA8 faces `size` square, linear and clamped, whose face f holds
// `texel(f, x, y)` at (x, y); faces in GL's order (+X, -X, +Y, -Y, +Z, -Z).
GLuint makeCubeMap(int size, const std::function<Rgba(int face, int x, int y)>& texel);

// A uniform buffer of `size` bytes (zeros unless `data` is given), bound to `binding`.
GLuint makeUniformBuffer(GLsizeiptr size, GLuint binding, const void* data = nullptr);
// `count` values from `offset` bytes into a buffer (all that follow when count is 0); the
// copy-read binding is kept.
std::vector<unsigned char> readBufferBytes(GLuint buffer, size_t bytes, GLintptr offset);
template <typename T>
std::vector<T> readBuffer(GLuint buffer, size_t count = 0, GLintptr offset = 0) {
    const std::vector<unsigned char> bytes = readBufferBytes(buffer, count * sizeof(T), offset);
    std::vector<T> values(bytes.size() / sizeof(T));
    if (!values.empty()) std::memcpy(static_cast<void*>(values.data()), bytes.data(), values.size() * sizeof(T));
    return values;
}

}  // namespace Quessel::Test
