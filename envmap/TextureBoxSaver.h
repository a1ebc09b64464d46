#pragma once
#include "envmap/IEnvironmentMapSaver.h"

#include <GL/glew.h>

#include <memory>

namespace Quessel {

// Folder of an object's cube map: "../Model/TextureBox_" + node name.
std::string makeTextureBoxPath(const std::string& name);
// File of face i (+X, -X, +Y, -Y, +Z, -Z) in a cube-map folder.
std::string faceFilePath(const std::string& directory, int face, const std::string& extension);

// A texture's level 0 read back as 8-bit pixels; no pixels when it cannot be read.
struct TexturePixels {
    std::unique_ptr<unsigned char[]> pixels;
    int width = 0;
    int height = 0;
    GLint internalFormat = 0;
    int channels = 4;
};
TexturePixels readTexture(int unit, GLuint texture);

// Builds a new cube-map texture from the six face files of a folder. Faces that cannot
// be read stay unspecified.
GLuint loadCubeMap(const std::string& directory, const std::string& extension);
bool loadCubeMapFace(GLuint texture, GLenum target, const std::string& path);

// Writes the six faces of an object as TGA files.
class TextureBoxSaver : public IEnvironmentMapSaver {
public:
    bool save(ReflectionObject* object, const std::string& directory) override;
    bool saveFace(ReflectionObject* object, const std::string& directory, int face);
};

}  // namespace Quessel
