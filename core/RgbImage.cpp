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

bool RgbImage::savePng(const std::string& path) const {
    // The demo's texture loader initialises DevIL too; both want the origin at the lower left.
    [[maybe_unused]] static const bool initialised = (ilInit(), true);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    ilEnable(IL_FILE_OVERWRITE);
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    std::vector<unsigned char> copy = pixels;
    bool saved = ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, copy.data());
    ilSetInteger(IL_ORIGIN_MODE, IL_ORIGIN_LOWER_LEFT);
    saved = saved && ilSave(IL_PNG, path.c_str());
    ilDeleteImages(1, &name);
    return saved;
}

}  // namespace Quessel
