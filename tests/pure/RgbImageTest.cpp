// Saving a picture as a PNG: upright with every pixel, and a write that fails is a failure
// with errno saying why, not a file said to be written.
#include "TestScene.h"

#include "core/RgbImage.h"

#include <SOIL/SOIL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

using Quessel::RgbImage;

TEST(RgbImage, SavedPngIsUprightWithEveryPixel) {
    RgbImage image{5, 3, {}};  // rows bottom-up, every byte its own value
    for (int i = 0; i < 5 * 3 * 3; ++i) image.pixels.push_back(static_cast<unsigned char>(7 * i + 1));
    Quessel::Test::ScratchDir dir;
    ASSERT_TRUE(image.savePng(dir.file("frame.png")));
    int width = 0, height = 0, channels = 0;
    unsigned char* data = SOIL_load_image(dir.file("frame.png").c_str(), &width, &height, &channels, SOIL_LOAD_RGB);
    ASSERT_TRUE(data && width == 5 && height == 3);
    // The file's rows run top-down.
    for (int row = 0; row < 3; ++row)
        EXPECT_TRUE(std::equal(data + row * 15, data + row * 15 + 15, image.pixels.begin() + (2 - row) * 15)) << row;
    SOIL_free_image_data(data);
}

TEST(RgbImage, AWriteThatFailsIsAFailureWithItsReason) {
    const RgbImage image{64, 64, std::vector<unsigned char>(64 * 64 * 3, 200)};
    Quessel::Test::ScratchDir dir;
    for (const auto& [path, reason] :
         {std::pair{std::string("/dev/full"), ENOSPC}, {dir.file("missing/a.png"), ENOENT}}) {
        EXPECT_FALSE(image.savePng(path)) << path;
        EXPECT_EQ(errno, reason) << path;
    }
}
