#pragma once

#include "Image.h"

#include <string>

namespace Quessel::SceneGen {

class ImageFiles {
public:
    // JPEG or PNG through DevIL, chosen by the extension; false when DevIL refuses.
    static bool save(const Image& image, const std::string& path);
    // Uncompressed true-colour TGA whose first stored row is the top row.
    static bool saveTga(const Image& image, const std::string& path);
};

}  // namespace Quessel::SceneGen
