#include "scene/TextureLoader.h"

#include "core/Console.h"
#include "scene/ImageHeader.h"
#include "scene/ShaderRegistry.h"

#include <IL/il.h>

#include <vector>

namespace Quessel {

void loadTextureMap(std::map<std::string, GLuint>& textures, const char* sampler, GLint samplerUnit) {
    if (textures.empty()) return;
    const GLsizei count = static_cast<GLsizei>(textures.size());
    std::vector<ILuint> images(count);
    std::vector<GLuint> names(count);
    ilGenImages(count, images.data());
    glGenTextures(count, names.data());

    size_t i = 0;
    for (auto& entry : textures) {
        entry.second = names[i];
        ilBindImage(images[i]);
        ++i;
        ilEnable(IL_ORIGIN_SET);
        ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
        // DevIL trusts the sizes in the header; a corrupt one overflows its buffers.
        if (!imageSizeFits(entry.first) || !ilLoadImage(entry.first.c_str())) {
            printConsole("Couldn't load Image: %s\n", entry.first.c_str());
            continue;
        }
        ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
        ShaderProgram* current = ShaderRegistry::instance().current;
        if (current) glUniform1i(glGetUniformLocation(current->program, sampler), samplerUnit);
        glActiveTexture(GL_TEXTURE0 + samplerUnit);
        glBindTexture(GL_TEXTURE_2D, entry.second);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT), 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, ilGetData());
    }
    ilDeleteImages(count, images.data());
}

}  // namespace Quessel
