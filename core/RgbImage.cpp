#include "core/RgbImage.h"

#include <GL/glew.h>
#include <IL/il.h>

namespace Quessel {

RgbImage RgbImage::readWindow(int width, int height) {
    RgbImage image{width, height, std::vector<unsigned char>(static_cast<size_t>(width) * height * 3)};
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
    return image;
}

RgbImage RgbImage::readTexture(unsigned texture) {
    RgbImage image;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &image.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &image.height);
    image.pixels.resize(static_cast<size_t>(image.width) * image.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
    return image;
}

RgbImage RgbImage::halfSize() const {
    RgbImage half{width / 2, height / 2, {}};
    half.pixels.resize(static_cast<size_t>(half.width) * half.height * 3);
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        sum += pixels[(static_cast<size_t>(2 * y + dy) * width + 2 * x + dx) * 3 + c];
                half.pixels[(static_cast<size_t>(y) * half.width + x) * 3 + c] = static_cast<unsigned char>(sum / 4);
            }
    return half;
}

namespace {
// The demo's texture loader initialises DevIL too; both want the origin at the lower left.
ILuint boundDevilImage() {
    static bool ready = false;
    if (!ready) {
        ilInit();
        ready = true;
    }
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    ilEnable(IL_FILE_OVERWRITE);
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    return name;
}
}  // namespace

bool RgbImage::loadPng(const std::string& path) {
    ILuint name = boundDevilImage();
    const bool loaded = ilLoadImage(path.c_str()) && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
    if (loaded) {
        width = ilGetInteger(IL_IMAGE_WIDTH);
        height = ilGetInteger(IL_IMAGE_HEIGHT);
        const unsigned char* data = ilGetData();
        pixels.assign(data, data + static_cast<size_t>(width) * height * 3);
    }
    ilDeleteImages(1, &name);
    return loaded;
}

bool RgbImage::savePng(const std::string& path) const {
    ILuint name = boundDevilImage();
    std::vector<unsigned char> copy = pixels;
    bool saved = ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, copy.data());
    ilSetInteger(IL_ORIGIN_MODE, IL_ORIGIN_LOWER_LEFT);
    saved = saved && ilSave(IL_PNG, path.c_str());
    ilDeleteImages(1, &name);
    return saved;
}

}  // namespace Quessel
