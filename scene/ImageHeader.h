#pragma once
#include <cstddef>
#include <string>

namespace Quessel {

// Largest image accepted from a file or memory: DevIL and SOIL multiply the sizes a header declares
// in 32-bit integers (up to 16 bytes a pixel) without checking, so a corrupt header
// overflows their buffers. 64 megapixels at 16 bytes stay within 1 GiB.
constexpr long long MaxImageSide = 16384;
constexpr long long MaxImagePixels = 8192LL * 8192LL;

// False when the header of a format the image libraries read (JPEG, PNG, GIF, BMP, PSD,
// DDS, Radiance HDR, TGA) declares a width or height below 1 or a size beyond the limits
// above. Files that cannot be opened or are not recognised pass: their loader reports them.
bool imageSizeFits(const std::string& path);
// The same for an image's bytes in memory, such as one embedded in a scene.
bool imageSizeFits(const void* bytes, size_t count);

}  // namespace Quessel
