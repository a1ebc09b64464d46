#include "ImageCompare.h"

#include <GL/glew.h>
#include <IL/il.h>

#include <algorithm>
#include <cstdlib>

namespace QuesselTest {

RgbImage readWindow(int width, int height) {
    RgbImage image{width, height, std::vector<unsigned char>(static_cast<size_t>(width) * height * 3)};
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
    return image;
}

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

namespace {
void prepareDevil() {
    static bool ready = false;
    if (!ready) {
        ilInit();
        ready = true;
    }
    // Rows stay bottom-up in memory; files are written upright.
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    ilEnable(IL_FILE_OVERWRITE);
}
}  // namespace

bool loadPng(const std::string& path, RgbImage& image) {
    prepareDevil();
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    const bool loaded = ilLoadImage(path.c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
    if (loaded) {
        image.width = ilGetInteger(IL_IMAGE_WIDTH);
        image.height = ilGetInteger(IL_IMAGE_HEIGHT);
        const unsigned char* data = ilGetData();
        image.pixels.assign(data, data + static_cast<size_t>(image.width) * image.height * 3);
    }
    ilDeleteImages(1, &name);
    return loaded;
}

bool savePng(const std::string& path, const RgbImage& image) {
    prepareDevil();
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    std::vector<unsigned char> copy = image.pixels;
    bool saved = ilTexImage(image.width, image.height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, copy.data());
    ilSetInteger(IL_ORIGIN_MODE, IL_ORIGIN_LOWER_LEFT);
    saved = saved && ilSave(IL_PNG, path.c_str());
    ilDeleteImages(1, &name);
    return saved;
}

Difference compare(const RgbImage& actual, const RgbImage& expected) {
    Difference result;
    if (actual.width != expected.width || actual.height != expected.height) {
        result.maximum = 255;
        result.mean = 255.0;
        result.largeFraction = 1.0;
        return result;
    }
    result.image = actual;
    long long total = 0;
    size_t large = 0;
    for (size_t i = 0; i < actual.pixels.size(); ++i) {
        const int d = std::abs(int(actual.pixels[i]) - int(expected.pixels[i]));
        result.maximum = std::max(result.maximum, d);
        total += d;
        large += d > 32;
        result.image.pixels[i] = static_cast<unsigned char>(std::min(255, d * 4));
    }
    result.mean = static_cast<double>(total) / static_cast<double>(actual.pixels.size());
    result.largeFraction = static_cast<double>(large) / static_cast<double>(actual.pixels.size());
    return result;
}

}  // namespace QuesselTest
