#include "envmap/EasyTextureBoxFramebuffer.h"

#include "core/GlConstants.h"
#include "envmap/CubeMapSampling.h"

namespace Quessel {

EasyTextureBoxFramebuffer::EasyTextureBoxFramebuffer(const std::vector<RenderTexture>& faces, int width, int height)
    : EnvironmentMapFramebuffer(faces, width, height),
      cubeMap(std::make_unique<RenderTexture>()),
      stagingSize(static_cast<size_t>(height) * static_cast<size_t>(width) * 4),
      staging(new unsigned char[stagingSize]) {}

RenderTexture EasyTextureBoxFramebuffer::getCubeMap() { return *cubeMap; }

namespace {
GLuint makeFaceTexture(GLenum format, GLsizei width, GLsizei height) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexStorage2D(GL_TEXTURE_2D, 1, format, width, height);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    return texture;
}
}  // namespace

bool EasyTextureBoxFramebuffer::create() {
    GLuint names[6] = {};
    glGenFramebuffers(6, names);

    GLuint cubeColor = 0;
    GLuint cubeDepth = 0;
    glActiveTexture(GL_TEXTURE0 + TextureUnit::CubeMap);
    glGenTextures(1, &cubeColor);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeColor);
    glActiveTexture(GL_TEXTURE0 + TextureUnit::CubeMap);
    glGenTextures(1, &cubeDepth);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeDepth);
    glTexStorage2D(GL_TEXTURE_CUBE_MAP, 1, GL_DEPTH_COMPONENT32F, width, height);
    *cubeMap = RenderTexture{TextureUnit::CubeMap, static_cast<int32_t>(cubeColor), static_cast<int32_t>(cubeDepth),
                             width, height};

    for (int face = 0; face < 6; ++face) {
        glBindFramebuffer(GL_FRAMEBUFFER, names[face]);
        const int unit = TextureUnit::FaceBase + face;
        glActiveTexture(GL_TEXTURE0 + unit);
        const GLuint color = makeFaceTexture(GL_RGBA8, width, height);
        const GLuint depth = makeFaceTexture(GL_DEPTH_COMPONENT32F, width, height);
        glBindTexture(GL_TEXTURE_2D, color);
        glBindTexture(GL_TEXTURE_2D, depth);
        glFramebufferTexture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, color, 0);
        glFramebufferTexture(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, depth, 0);
        const GLenum drawBuffer = GL_COLOR_ATTACHMENT0;
        glDrawBuffers(1, &drawBuffer);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glBindTexture(GL_TEXTURE_2D, 0);
        faces.push_back(RenderTexture{unit, static_cast<int32_t>(color), static_cast<int32_t>(depth), width, height});
    }
    framebuffers.assign(names, names + 6);
    return true;
}

bool EasyTextureBoxFramebuffer::bind() {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers.at(currentFace));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return true;
}

void EasyTextureBoxFramebuffer::copyFaceToCubeMap() {
    const RenderTexture& face = faces.at(currentFace);
    glActiveTexture(GL_TEXTURE0 + face.unit);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(face.color));
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, staging.get());
    glActiveTexture(GL_TEXTURE0 + cubeMap->unit);
    glBindTexture(GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(cubeMap->color));
    glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + currentFace, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 staging.get());
}

bool EasyTextureBoxFramebuffer::unbind() {
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    copyFaceToCubeMap();
    if (currentFace == 5) {
        glActiveTexture(GL_TEXTURE0 + cubeMap->unit);
        glBindTexture(GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(cubeMap->color));
        setCubeMapSampling();
    }
    return true;
}

}  // namespace Quessel
