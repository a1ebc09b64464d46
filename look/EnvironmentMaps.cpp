#include "look/EnvironmentMaps.h"

#include "core/GlConstants.h"

namespace Quessel {

namespace {

void uploadLevel(const CubeImage& cube, int level) {
    for (int face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, level, GL_RGB16F, cube.size, cube.size, 0, GL_RGB, GL_FLOAT,
                     cube.faces[face].data());
}

GLuint makeCubeMap(const std::vector<const CubeImage*>& levels) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    // On a unit of the look's own: whatever the demo keeps bound on the active unit stays.
    GLint previousUnit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &previousUnit);
    glActiveTexture(GL_TEXTURE0 + TextureUnit::LookRadiance);
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
    for (size_t level = 0; level < levels.size(); ++level) uploadLevel(*levels[level], static_cast<int>(level));
    const bool mipmapped = levels.size() > 1;
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels.size() - 1));
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    for (GLenum wrap : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R})
        glTexParameteri(GL_TEXTURE_CUBE_MAP, wrap, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glActiveTexture(static_cast<GLenum>(previousUnit));
    return texture;
}

}  // namespace

EnvironmentMaps::EnvironmentMaps(const EnvironmentBake& bake) {
    radiance = makeCubeMap({&bake.radiance});
    std::vector<const CubeImage*> levels;
    for (const CubeImage& level : bake.specular) levels.push_back(&level);
    specular = makeCubeMap(levels);
    specularTopLevel = static_cast<int>(bake.specular.size()) - 1;
}

EnvironmentMaps::~EnvironmentMaps() {
    const GLuint textures[] = {radiance, specular};
    glDeleteTextures(2, textures);
}

}  // namespace Quessel
