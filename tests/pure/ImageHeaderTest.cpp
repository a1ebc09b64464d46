// Headers declaring sizes the image libraries would overflow on are refused alike in a
// file and in memory (an image embedded in a scene); others, and what is no image, pass.
#include "TestScene.h"

#include "scene/ImageHeader.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace std::string_literals;

namespace {
std::string be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
std::string le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string png(uint32_t width, uint32_t height) {
    return "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR"s + be32(width) + be32(height) + "\x08\x06\0\0\0"s;
}
// A JPEG whose frame (height, then width) follows a comment of `padding` bytes.
std::string jpeg(uint16_t width, uint16_t height, size_t padding) {
    const std::string comment = "\xFF\xFE"s + char((padding + 2) >> 8) + char(padding + 2) + std::string(padding, 'c');
    return "\xFF\xD8"s + comment + "\xFF\xC0\0\x11\x08"s + char(height >> 8) + char(height) + char(width >> 8) +
           char(width) + std::string(12, '\0');
}
std::string bmp(uint32_t width, uint32_t height) {
    return "BM"s + std::string(12, '\0') + le32(40) + le32(width) + le32(height) + std::string(28, '\0');
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
        {"PNG 0 x 5", png(0, 5), false},
        {"PNG cut before its size", png(100000, 100000).substr(0, 20), true},
        {"JPEG 640 x 480", jpeg(640, 480, 10), true},
        {"JPEG 60000 x 60000 after 5000 bytes", jpeg(60000, 60000, 5000), false},
        {"BMP 4 x -4, top-down", bmp(4, uint32_t(-4)), true},
        {"BMP 5 x -2147483647", bmp(5, 0x80000001u), false},
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
