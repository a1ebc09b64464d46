#pragma once
#include <string>
#include <vector>

namespace Quessel {

// An 8-bit RGB picture with its rows bottom-up, as OpenGL reads them: a frame read back
// from the window or a target, saved as a PNG. The tools and the tests share it.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;

    // The default framebuffer's back buffer, where the frame is before its swap; reading
    // it resolves the window's samples.
    static RgbImage readWindow(int width, int height);
    // Level 0 of a 2D texture.
    static RgbImage readTexture(unsigned texture);

    // PNG files are upright. False when the file cannot be written whole, with errno saying
    // why (0: the picture could not be encoded); a file cut short is removed.
    bool savePng(const std::string& path) const;
};

}  // namespace Quessel
