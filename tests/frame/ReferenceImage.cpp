#include "ReferenceImage.h"

#include <SOIL/SOIL.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdio>
#include <cstdlib>

namespace Quessel::Test {

RgbImage halfSize(const RgbImage& image) {
    RgbImage half{image.width / 2, image.height / 2, {}};
    half.pixels.resize(static_cast<size_t>(half.width) * half.height * 3);
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        sum += image.pixels[(static_cast<size_t>(2 * y + dy) * image.width + 2 * x + dx) * 3 + c];
                half.pixels[(static_cast<size_t>(y) * half.width + x) * 3 + c] = static_cast<unsigned char>(sum / 4);
            }
    return half;
}

RgbImage loadPng(const std::string& path) {
    RgbImage image;
    int channels = 0;
    unsigned char* data = SOIL_load_image(path.c_str(), &image.width, &image.height, &channels, SOIL_LOAD_RGB);
    if (!data) return {};
    // SOIL decodes the top row first.
    const size_t row = static_cast<size_t>(image.width) * 3;
    for (int y = image.height - 1; y >= 0; --y)
        image.pixels.insert(image.pixels.end(), data + y * row, data + (y + 1) * row);
    SOIL_free_image_data(data);
    return image;
}

// Measured on llvmpipe (LLVM 15) with the particle clock pinned: the default, 1 and 4
// rasteriser threads (LP_NUM_THREADS) and 128-bit vectors (LP_NATIVE_VECTOR_WIDTH) all
// render the three frames bit for bit alike (mean 0, maximum 0). Small real faults gave:
// sprite left unbound mean 0.0133 and 0.0142 % of channels off by more than 32; motion
// blur 10 % weaker (fps 0.9 / dt) mean 0.127; cube maps refreshed in the wrong turn mean
// 0.30; light circling at 0.4 instead of 0.5 rad/s mean 3.45 and 0.061 %. Below these
// thresholds stay: particle lifetime 9 s instead of 10 (mean 0.0019), the smoke 0.1 s
// off (0.0012) and a polygon offset of 2 units instead of 4 (0.0001); number tests
// catch those.
bool withinReferenceThresholds(const ImageDifference& difference) {
    return difference.mean < 0.005 && difference.largeChannels < 0.00002;
}

void expectMatchesReference(const std::string& name, const RgbImage& actual) {
    const std::string reference = std::string(QUESSEL_GOLDEN_DIR) + "/" + name + ".png";
    if (std::getenv("QUESSEL_UPDATE_GOLDEN")) {
        ASSERT_TRUE(actual.savePng(reference)) << reference;
        return;
    }
    const RgbImage expected = loadPng(reference);
    ASSERT_FALSE(expected.pixels.empty()) << "no reference " << reference << "; run scripts/update-golden";
    const ImageDifference difference = ImageDifference::between(actual, expected);
    const bool close = withinReferenceThresholds(difference);
    // The figures of every comparison, for re-measuring the thresholds against the noise.
    std::printf("%s: mean difference %.4f, maximum %d, %.4f%% of channels off by more than 32\n", name.c_str(),
                difference.mean, difference.maximum, difference.largeChannels * 100.0);
    if (!close) {
        mkdir(QUESSEL_TEST_OUTPUT_DIR, 0755);
        actual.savePng(std::string(QUESSEL_TEST_OUTPUT_DIR) + "/" + name + "-actual.png");
        difference.image.savePng(std::string(QUESSEL_TEST_OUTPUT_DIR) + "/" + name + "-difference.png");
    }
    EXPECT_TRUE(close) << name << ": mean difference " << difference.mean << ", maximum " << difference.maximum << ", "
                       << difference.largeChannels * 100.0 << "% of channels off by more than 32"
                       << " (actual and difference images in " << QUESSEL_TEST_OUTPUT_DIR << ")";
}

}  // namespace Quessel::Test
