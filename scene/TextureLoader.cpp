#include "scene/TextureLoader.h"

#include "core/Console.h"
#include "scene/ImageHeader.h"
#include "scene/ShaderRegistry.h"

#include <IL/il.h>
#include <assimp/scene.h>

#include <vector>

namespace Quessel {

bool loadBoundImage(const std::string& name, const ImageSearch& search, std::string& failed) {
    // Some formats (MD5 among them) give a texture with no file; an empty name says nothing.
    if (name.empty()) {
        failed = "\"\" (the material names no file)";
        return false;
    }
    const aiTexture* embedded = search.scene ? search.scene->GetEmbeddedTexture(name.c_str()) : nullptr;
    // DevIL trusts the sizes in the header; a corrupt one overflows its buffers.
    if (embedded) {
        // Compressed images (PNG, JPEG, ...) are decoded; raw texels are not supported.
        const std::string file = embedded->mFilename.C_Str();
        failed = name + (file.empty() ? " (embedded image)" : " (embedded image " + file + ")");
        return embedded->mHeight == 0 && imageSizeFits(embedded->pcData, embedded->mWidth) &&
               ilLoadL(IL_TYPE_UNKNOWN, embedded->pcData, embedded->mWidth);
    }
    failed = name;
    const std::string path = search.path(name);
    return imageSizeFits(path) && ilLoadImage(path.c_str());
}

std::set<std::string> loadTextureMap(std::map<std::string, GLuint>& textures, const char* sampler, GLint samplerUnit,
                                     const ImageSearch& search) {
    std::set<std::string> missing;
    if (textures.empty()) return missing;
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
        std::string failed;
        if (!loadBoundImage(entry.first, search, failed)) {
            printConsole("Couldn't load Image: %s\n", failed.c_str());
            missing.insert(entry.first);
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
    return missing;
}

}  // namespace Quessel
