#pragma once
#include <GL/glew.h>

#include <map>
#include <string>
#include <vector>

struct aiScene;

namespace Quessel {

// Where the images a scene names are found: images embedded in the scene ("*0", or the
// file name Assimp gives one), then each folder in turn; a name found nowhere is tried as
// it is, relative to the working directory. The default is the demo's own: the working
// directory only.
struct ImageSearch {
    std::vector<std::string> folders{""};
    const aiScene* scene = nullptr;
};

// Loads every named image of a texture map through DevIL (origin at the lower left) into
// the GL texture stored as the entry's value. Names are given GL textures in key order,
// whether or not their image loads; a failed image is named on the console and stays an
// empty texture.
void loadTextureMap(std::map<std::string, GLuint>& textures, const char* sampler, GLint samplerUnit,
                    const ImageSearch& search = ImageSearch());

}  // namespace Quessel
