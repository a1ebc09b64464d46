// Headers declaring sizes the image libraries would overflow on are refused alike in a
// file and in memory (an image embedded in a scene); others, and what is no image, pass.
#include "TestScene.h"

#include "scene/ImageHeader.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace std::string_literals;

namespace {
std::string png(uint32_t width, uint32_t height) {
    std::string bytes = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR"s;
    for (uint32_t side : {width, height}) bytes += {char(side >> 24), char(side >> 16), char(side >> 8), char(side)};
    return bytes + "\x08\x06\0\0\0"s;
}
}  // namespace

TEST(ImageHeader, ImpossibleSizesAreRefusedInFilesAndInMemory) {
    const struct {
        const char* what;
        std::string bytes;
        bool fits;
    } cases[] = {
        {"PNG 16384 x 4096", png(16384, 4096), true},
        {"PNG 100000 x 100000", png(100000, 100000), false},
        {"PNG 8193 x 8193", png(8193, 8193), false},
        {"PNG cut before its size", png(100000, 100000).substr(0, 20), true},
        // A frame declaring 60000 x 60000 after a comment of 5000 bytes, past those read first.
        {"JPEG past the first 4096 bytes",
         "\xFF\xD8\xFF\xFE\x13\x8A"s + std::string(5000, 'c') + "\xFF\xC0\0\x11\x08\xEA\x60\xEA\x60"s, false},
        {"JPEG 640 x 480", "\xFF\xD8\xFF\xE0\0\x04jf\xFF\xC0\0\x11\x08\x01\xE0\x02\x80"s, true},
        {"Radiance 100000 x 100000", "#?RADIANCE\n\n-Y 100000 +X 100000\n", false},
        {"text", "not an image", true},
    };
    const Quessel::Test::ScratchDir dir;
    for (const auto& c : cases) {
        EXPECT_EQ(Quessel::imageSizeFits(c.bytes.data(), c.bytes.size()), c.fits) << c.what << " in memory";
        std::ofstream(dir.file("image"), std::ios::binary | std::ios::trunc) << c.bytes;
        EXPECT_EQ(Quessel::imageSizeFits(dir.file("image")), c.fits) << c.what << " in a file";
    }
}
