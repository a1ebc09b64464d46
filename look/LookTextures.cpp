#include "look/LookTextures.h"

#include "core/Console.h"
#include "core/GlConstants.h"
#include "scene/TextureLoader.h"

#include <IL/il.h>

namespace Quessel {

LookTextures::LookTextures(ImageSearch search, bool sayMissing) : search(std::move(search)), sayMissing(sayMissing) {}

LookTextures::~LookTextures() {
    for (const auto& entry : loaded)
        if (entry.second) glDeleteTextures(1, &entry.second);
}

GLuint LookTextures::get(const std::string& name, bool srgb) {
    const auto key = std::make_pair(name, srgb);
    const auto found = loaded.find(key);
    if (found != loaded.end()) return found->second;
    // The other colour space's load already said whether the image is there.
    const auto other = loaded.find(std::make_pair(name, !srgb));
    if (other != loaded.end() && other->second == 0) return loaded[key] = 0;

    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    std::string failed;
    GLuint texture = 0;
    if (!loadBoundImage(name, search, failed)) {
        if (sayMissing) printConsole("Couldn't load Image: %s\n", failed.c_str());
    } else {
        ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
        glGenTextures(1, &texture);
        // On a unit of the look's own: whatever the demo keeps bound on the active unit stays.
        GLint previousUnit = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &previousUnit);
        glActiveTexture(GL_TEXTURE0 + TextureUnit::LookBaseColor);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, srgb ? GL_SRGB8_ALPHA8 : GL_RGBA8, ilGetInteger(IL_IMAGE_WIDTH),
                     ilGetInteger(IL_IMAGE_HEIGHT), 0, GL_RGBA, GL_UNSIGNED_BYTE, ilGetData());
        glGenerateMipmap(GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glBindTexture(GL_TEXTURE_2D, 0);
        glActiveTexture(static_cast<GLenum>(previousUnit));
    }
    ilDeleteImages(1, &image);
    return loaded[key] = texture;
}

}  // namespace Quessel
