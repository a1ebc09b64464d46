#include "envmap/TextureBoxSaver.h"

#include "envmap/CubeMapSampling.h"
#include "scene/ImageHeader.h"
#include "scene/ReflectionObject.h"

#include <SOIL/SOIL.h>

#include <sys/stat.h>
#include <cstdio>

namespace Quessel {

namespace {
const char* const ModelPrefix = "../Model/TextureBox_";
const char* const FaceParts[6] = {"/posx.", "/negx.", "/posy.", "/negy.", "/posz.", "/negz."};
constexpr long TgaHeaderBytes = 18;

// A node name is data from the scene file: one holding a path separator or ".." could
// point the folder outside ../Model/, so such folders are refused.
bool isSafeFolder(const std::string& directory) {
    const std::string prefix = ModelPrefix;
    if (directory.compare(0, prefix.size(), prefix) != 0) return true;
    const std::string name = directory.substr(prefix.size());
    return name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
}

// A written TGA holds its whole header and, when uncompressed (type 2, as SOIL writes
// it), every pixel byte. A run-length-encoded file (what another stb_image_write that
// happens to be bound in SOIL's place produces) has no size to check against.
bool isWholeTga(const std::string& path, long pixelBytes) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    unsigned char header[TgaHeaderBytes];
    const bool headerRead = std::fread(header, 1, sizeof header, file) == sizeof header;
    const bool sized = std::fseek(file, 0, SEEK_END) == 0;
    const long size = sized ? std::ftell(file) : -1;
    std::fclose(file);
    if (!headerRead || !sized) return false;
    const bool uncompressed = header[2] == 2 || header[2] == 3;
    return !uncompressed || size >= TgaHeaderBytes + header[0] + pixelBytes;
}

}  // namespace

std::string makeTextureBoxPath(const std::string& name) { return ModelPrefix + name; }

std::string faceFilePath(const std::string& directory, int face, const std::string& extension) {
    return directory + FaceParts[face] + extension;
}

TexturePixels readTexture(int unit, GLuint texture) {
    while (glGetError() != GL_NO_ERROR) {}
    TexturePixels result;
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &result.internalFormat);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &result.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &result.height);
    result.channels = result.internalFormat == GL_RGB8 ? 3 : 4;
    const size_t size =
        static_cast<size_t>(result.width) * static_cast<size_t>(result.height) * static_cast<size_t>(result.channels);
    if (size == 0) return result;
    result.pixels.reset(new unsigned char[size]);
    // Read back in the format that matches the channel count, rows tightly packed.
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, result.channels == 3 ? GL_RGB : GL_RGBA, GL_UNSIGNED_BYTE, result.pixels.get());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    if (glGetError() != GL_NO_ERROR) result.pixels.reset();
    return result;
}

bool TextureBoxSaver::save(ReflectionObject* object, const std::string& directory) {
    if (!isSafeFolder(directory)) return false;
    // One level; an existing folder is fine and a failure shows as failed face writes.
    mkdir(directory.c_str(), 0755);
    bool result = true;
    for (int face = 0; face < 6; ++face) result = saveFace(object, directory, face) && result;
    return result;
}

bool TextureBoxSaver::saveFace(ReflectionObject* object, const std::string& directory, int face) {
    RenderTexture d;
    if (object && face < static_cast<int>(object->faces.size())) d = object->faces[face];
    const TexturePixels read = readTexture(d.unit, static_cast<GLuint>(d.color));
    if (!read.pixels) return false;
    // The writer reads width * height * channels bytes: never more than were read back.
    if (read.width != d.width || read.height != d.height) return false;
    const std::string path = faceFilePath(directory, face, "tga");
    if (!SOIL_save_image(path.c_str(), SOIL_SAVE_TYPE_TGA, d.width, d.height, read.channels, read.pixels.get()))
        return false;
    // SOIL's writer only reports whether the file opened; a full disk leaves a short file
    // behind. Such a face is not written: remove it rather than leave a broken image.
    if (!isWholeTga(path, static_cast<long>(d.width) * d.height * read.channels)) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}

bool loadCubeMapFace(GLuint texture, GLenum target, const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::fclose(file);
    // SOIL's decoders trust the sizes in the header; a corrupt one overflows them.
    if (!imageSizeFits(path)) return false;
    int width = 0;
    int height = 0;
    int channels = 0;
    unsigned char* pixels = SOIL_load_image(path.c_str(), &width, &height, &channels, SOIL_LOAD_RGBA);
    if (!pixels) return false;
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
    glTexImage2D(target, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    SOIL_free_image_data(pixels);
    return glGetError() == GL_NO_ERROR;
}

GLuint loadCubeMap(const std::string& directory, const std::string& extension) {
    while (glGetError() != GL_NO_ERROR) {}
    glActiveTexture(GL_TEXTURE0);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
    static const struct {
        int face;
        GLenum target;
    } order[6] = {{5, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z}, {4, GL_TEXTURE_CUBE_MAP_POSITIVE_Z},
                  {2, GL_TEXTURE_CUBE_MAP_POSITIVE_Y}, {3, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y},
                  {1, GL_TEXTURE_CUBE_MAP_NEGATIVE_X}, {0, GL_TEXTURE_CUBE_MAP_POSITIVE_X}};
    for (const auto& entry : order)
        loadCubeMapFace(texture, entry.target, faceFilePath(directory, entry.face, extension));
    setCubeMapSampling();
    return texture;
}

}  // namespace Quessel
