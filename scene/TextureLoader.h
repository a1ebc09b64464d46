#pragma once
#include "scene/ImageSearch.h"

#include <GL/glew.h>

#include <map>
#include <set>
#include <string>

namespace Quessel {

// Loads the named image (embedded in the search's scene, or a file found by it) into the
// bound DevIL image, its size checked before DevIL reads it; false with `failed` naming
// what could not be loaded.
bool loadBoundImage(const std::string& name, const ImageSearch& search, std::string& failed);

// Loads every named image of a texture map through DevIL (origin at the lower left) into
// the GL texture stored as the entry's value. Names are given GL textures in key order,
// whether or not their image loads; a failed image is named on the console as the scene
// names it and stays an empty texture. Returns the names that failed.
std::set<std::string> loadTextureMap(std::map<std::string, GLuint>& textures, const char* sampler, GLint samplerUnit,
                                     const ImageSearch& search = ImageSearch());

}  // namespace Quessel
