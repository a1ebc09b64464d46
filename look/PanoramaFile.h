#pragma once
#include "look/FloatImage.h"

#include <optional>
#include <string>

namespace Quessel {

// Reads an equirectangular panorama into linear RGB: Radiance .hdr (DevIL) and OpenEXR
// .exr (tinyexr) as stored, any other image DevIL reads (.png, .jpg, ...) decoded from
// sRGB. A file that is missing, not an image, declares a size beyond the limits below in
// its header (checked before anything is decoded) or holds values that are not finite is
// refused: nothing, with `error` naming the file and why.
class PanoramaFile {
public:
    static constexpr long long MaxSide = 16384;
    static constexpr long long MaxPixels = 8192LL * 4096LL;

    static std::optional<FloatImage> read(const std::string& path, std::string& error);
};

}  // namespace Quessel
