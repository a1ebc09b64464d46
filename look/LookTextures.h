#pragma once
#include "scene/ImageSearch.h"

#include <GL/glew.h>

#include <map>
#include <string>
#include <utility>

namespace Quessel {

// The textures of a brought scene's materials, each image loaded once per colour space:
// colour images (base colour, emissive) as sRGB, so that sampling decodes them to linear
// light, data images (metallic-roughness, normal, occlusion) as stored. Mipmapped and
// repeating. An image that does not load is named on the console once and gives 0.
class LookTextures {
public:
    // `sayMissing`: an image that cannot be loaded is said on the console (not when the
    // demo's import has said so already).
    explicit LookTextures(ImageSearch search, bool sayMissing = true);
    ~LookTextures();
    LookTextures(const LookTextures&) = delete;
    LookTextures& operator=(const LookTextures&) = delete;

    GLuint get(const std::string& name, bool srgb);

private:
    ImageSearch search;
    bool sayMissing;
    std::map<std::pair<std::string, bool>, GLuint> loaded;
};

}  // namespace Quessel
