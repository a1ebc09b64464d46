#include "look/Look.h"

#include "core/GlConstants.h"
#include "look/EnvironmentMaps.h"
#include "look/FormatRule.h"
#include "look/LookPrograms.h"
#include "look/LookTextures.h"
#include "look/PanoramaEnvironment.h"
#include "look/SceneLights.h"
#include "look/StudioEnvironment.h"
#include "look/SurfaceDrawer.h"

#include <assimp/scene.h>
#include <fmt/format.h>

namespace Quessel {

Look::Look() = default;

Look::~Look() {
    if (lighting) glDeleteBuffers(1, &lighting);
}

std::unique_ptr<Look> Look::create(const aiScene* scene, const ImageSearch& images, const Settings& settings,
                                   std::string& error) {
    if (settings.environment.empty()) return create(scene, images, StudioEnvironment(), settings, error);
    const std::unique_ptr<PanoramaEnvironment> panorama = PanoramaEnvironment::load(settings.environment, error);
    if (!panorama) return nullptr;
    return create(scene, images, *panorama, settings, error);
}

std::unique_ptr<Look> Look::create(const aiScene* scene, const ImageSearch& images, const IEnvironment& environment,
                                   const Settings& settings, std::string& error) {
    std::unique_ptr<Look> look(new Look());
    look->programs = std::make_unique<LookPrograms>();
    if (!look->programs->build(settings.shaderFolder, error)) return nullptr;
    const EnvironmentBake bake = EnvironmentBake::make(environment);
    look->maps = std::make_unique<EnvironmentMaps>(bake);
    look->environment = bake.name;
    look->said.push_back("environment: " + bake.name);

    const FormatRule& rule = FormatRule::of(scene);
    look->shining = SceneLights::read(scene, rule, &look->said);
    look->sceneLights = !look->shining.empty();
    look->keyLight = !look->sceneLights && settings.keyLight;
    look->said.push_back(look->sceneLights ? fmt::format("lights: {} of the scene ({})", look->shining.size(), rule.label)
                         : look->keyLight ? std::string("lights: the environment and a circling key light")
                                          : std::string("lights: the environment alone"));
    if (look->keyLight) look->shining.push_back(SceneLights::key(0.0f));
    look->block.setIrradiance(bake.irradiance);
    look->block.specularTopLevel = static_cast<float>(look->maps->specularTopLevel);
    glGenBuffers(1, &look->lighting);
    look->uploadLighting();

    const GLuint background = look->programs->background;
    GLint previousProgram = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previousProgram);
    glUseProgram(background);
    look->plain = settings.background.kind != BackgroundChoice::Kind::Sky;
    look->plainColor = settings.background.color;
    glUniform3fv(glGetUniformLocation(background, "plainColor"), 1, glm::value_ptr(settings.background.color));
    glUseProgram(static_cast<GLuint>(previousProgram));

    ImageSearch search = images;
    search.scene = scene;
    look->textures = std::make_unique<LookTextures>(search, settings.sayMissingImages);
    look->meshes = std::make_unique<SurfaceDrawer>(scene, *look->textures, look->programs->surface, look->lighting,
                                                   look->maps->specular);
    look->meshes->setCulling(settings.culling);
    return look;
}

void Look::uploadLighting() {
    block.setLights(shining);
    glBindBuffer(GL_UNIFORM_BUFFER, lighting);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(block), &block, GL_DYNAMIC_DRAW);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

SurfaceDrawer& Look::surfaces() { return *meshes; }

void Look::setKeyLight(float angle) {
    if (!keyLight) return;
    shining = {SceneLights::key(angle)};
    uploadLighting();
}

std::optional<vec3> Look::plainBackground() const {
    if (!plain) return std::nullopt;
    return plainColor;
}

GLuint Look::radianceCubeMap() const { return maps->radiance; }

GLuint Look::specularCubeMap() const { return maps->specular; }

void Look::drawBackground(Behind behind) {
    GLint previousProgram = 0;
    GLint previousUnit = 0;
    GLint depthFunction = GL_LESS;
    GLboolean depthWrites = GL_TRUE;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previousProgram);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &previousUnit);
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);

    glUseProgram(programs->background);
    glUniform1i(glGetUniformLocation(programs->background, "mode"), behind == Behind::Chosen && plain ? 1 : 0);
    glBindBufferBase(GL_UNIFORM_BUFFER, BlockBinding::Lighting, lighting);
    glActiveTexture(GL_TEXTURE0 + TextureUnit::LookRadiance);
    glBindTexture(GL_TEXTURE_CUBE_MAP, maps->radiance);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    glBindVertexArray(programs->emptyVertexArray);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glBindVertexArray(0);

    glDepthMask(depthWrites);
    glDepthFunc(static_cast<GLenum>(depthFunction));
    if (!depthTest) glDisable(GL_DEPTH_TEST);
    glActiveTexture(static_cast<GLenum>(previousUnit));
    glUseProgram(static_cast<GLuint>(previousProgram));
}

}  // namespace Quessel
