#include "core/RgbImage.h"

#include <GL/glew.h>
#include <IL/il.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace Quessel {

namespace {
// Every write and the close checked; a cut-short regular file is removed, and errno says why.
bool writeWhole(const std::string& path, const std::vector<unsigned char>& bytes) {
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (file < 0) return false;
    int failure = 0;
    for (size_t done = 0; done < bytes.size() && !failure;) {
        const ssize_t written = write(file, bytes.data() + done, bytes.size() - done);
        if (written > 0)
            done += static_cast<size_t>(written);
        else if (written == 0)
            failure = EIO;
        else if (errno != EINTR)
            failure = errno;
    }
    // A device such as /dev/full is never removed.
    struct stat status {};
    const bool regular = fstat(file, &status) == 0 && S_ISREG(status.st_mode);
    if (close(file) != 0 && !failure) failure = errno;
    if (!failure) return true;
    if (regular) unlink(path.c_str());
    errno = failure;
    return false;
}
}  // namespace

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
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    std::vector<unsigned char> copy = pixels;
    // DevIL's own file writing ignores failed writes (a full disk passes), so it only encodes,
    // into room for the worst case: a PNG of incompressible pixels is a little larger than
    // they are. It stops quietly where the room ends, so filling the room is a failure.
    std::vector<unsigned char> png(copy.size() + copy.size() / 64 + 65536);
    ILuint size = 0;
    if (ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, copy.data())) {
        ilSetInteger(IL_ORIGIN_MODE, IL_ORIGIN_LOWER_LEFT);
        size = ilSaveL(IL_PNG, png.data(), static_cast<ILuint>(png.size()));
    }
    ilDeleteImages(1, &name);
    errno = 0;
    if (size == 0 || size >= png.size()) return false;
    png.resize(size);
    return writeWhole(path, png);
}

}  // namespace Quessel
