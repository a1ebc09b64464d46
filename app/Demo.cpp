#include "app/Demo.h"

#include "app/OffscreenFramebuffer.h"
#include "app/ScreenQuad.h"
#include "core/GlConstants.h"
#include "envmap/IEnvironmentMapRenderer.h"
#include "envmap/SphereBlock.h"
#include "envmap/TextureBoxRenderer.h"
#include "envmap/TextureBoxSaver.h"
#include "math/Camera.h"
#include "particles/ParticleSystem.h"
#include "scene/Importer.h"
#include "scene/ReflectionObject.h"
#include "scene/ShaderRegistry.h"

#include <GLFW/glfw3.h>
#include <assimp/scene.h>

#include <cstdio>

namespace Quessel {

namespace {
const char* const PreparedCubeMap = "../Model/TextureBox_Sphere_003";

constexpr GLintptr ProjectionOffset = 0;
constexpr GLintptr ViewOffset = 64;

GLuint makeUniformBuffer(GLsizeiptr size, GLuint binding) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    glBufferData(GL_UNIFORM_BUFFER, size, nullptr, GL_DYNAMIC_DRAW);
    glBindBufferRange(GL_UNIFORM_BUFFER, binding, buffer, 0, size);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    return buffer;
}
}  // namespace

Demo::Demo(GLFWwindow* window) : window(window), camera(Camera::instance()), path(camera) {}

void Demo::writeMatrix(GLuint buffer, GLintptr offset, const mat4& matrix) {
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    glBufferSubData(GL_UNIFORM_BUFFER, offset, sizeof(mat4), glm::value_ptr(matrix));
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

void Demo::createUniformBuffers() {
    const ShaderProgram& test = *importer->registry->current;
    importer->matricesBuffer = makeUniformBuffer(BlockSize::Matrices, test.matricesBinding);
    importer->previousMatricesBuffer = makeUniformBuffer(BlockSize::Matrices, test.previousMatricesBinding);
    importer->sphereBuffer = makeUniformBuffer(BlockSize::Sphere, test.sphereBinding);
}

bool Demo::setup() {
    importer = new Importer();
    ShaderRegistry& registry = *importer->registry;
    registry.use("test");
    // Nothing later can work without a scene: stop here with the import messages printed.
    if (!importer->loadScene(scenePath)) return false;
    importer->imageSearch.folders.insert(importer->imageSearch.folders.begin(), imageFolders.begin(),
                                         imageFolders.end());
    importer->loadTextures();
    registry.use("motionblur");
    quad = new ScreenQuad(registry);
    registry.use("test");
    importer->buildMeshes(importer->scene);
    createUniformBuffers();
    glEnable(GL_MULTISAMPLE);
    camera.updateFromAngles();
    writeMatrix(importer->matricesBuffer, ProjectionOffset, camera.projection);
    writeMatrix(importer->previousMatricesBuffer, ProjectionOffset, camera.projection);
    importer->model = mat4(1.0f);

    const GLuint refract = registry.get("refract").program;
    const GLuint reflect = registry.get("reflect").program;
    const GLuint test = registry.get("test").program;
    renderers = createRenderers(importer, test, importer->matricesBuffer, reflect, refract, importer->sphereBuffer);
    particles = new ParticleSystem(importer);
    renderInitialEnvironmentMaps();

    loadedCubeMap = loadCubeMap(PreparedCubeMap, "tga");
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    registry.use("test");
    importer->setupLight(importer->scene->mRootNode);
    depthTarget = new OffscreenFramebuffer();
    colorTarget = new OffscreenFramebuffer();
    otherNodes = importer->getNodes(ObjectKind::Other);
    reflectiveObjects = importer->getObjects(ObjectKind::Reflective);
    refractiveObjects = importer->getObjects(ObjectKind::Refractive);
    previousTime = glfwGetTime();
    path.start();
    return true;
}

void Demo::renderInitialEnvironmentMaps() {
    for (IEnvironmentMapRenderer* renderer : renderers) {
        ReflectionObject* object = renderer->getObject();
        const vec3 position = object->getPosition(true);
        renderer->update(0.0);
        renderer->render(position);
        const std::string folder = makeTextureBoxPath(object->getNode()->mName.C_Str());
        if (!saver) saver = new TextureBoxSaver();
        saver->save(object, folder);
    }
}

double Demo::timeStep() {
    const double now = glfwGetTime();
    const double dt = now - previousTime;
    previousTime = now;
    return dt;
}

void Demo::refreshEnvironmentMap(double dt) {
    if (renderers.empty()) return;
    rotationIndex = (rotationIndex + 1) % static_cast<int>(renderers.size());
    IEnvironmentMapRenderer* renderer = renderers[rotationIndex];
    const vec3 position = renderer->getObject()->getPosition(true);
    renderer->update(dt);
    renderer->render(position);
}

void Demo::mainPass() {
    writeMatrix(importer->matricesBuffer, ProjectionOffset, camera.projection);
    glBindFramebuffer(GL_FRAMEBUFFER, colorTarget->framebuffer);
    const GLfloat background[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    const GLfloat farDepth = 1.0f;
    glClearBufferfv(GL_COLOR, 0, background);
    glClearBufferfv(GL_DEPTH, 0, &farDepth);
    // The refresh leaves unit 26 active; selecting it keeps the prepared cube map where
    // "test" samples it even when no renderer ran this frame.
    glActiveTexture(GL_TEXTURE0 + TextureUnit::CubeMap);
    glBindTexture(GL_TEXTURE_CUBE_MAP, loadedCubeMap);

    ShaderRegistry& registry = *importer->registry;
    registry.use("test");
    glEnable(GL_DEPTH_TEST);
    writeMatrix(importer->matricesBuffer, ViewOffset, camera.view);
    const GLuint program = registry.current->program;
    glUniform3fv(glGetUniformLocation(program, "cameraPosition"), 1, glm::value_ptr(camera.position));
    glUniform3fv(glGetUniformLocation(program, "cameraDirection"), 1, glm::value_ptr(camera.direction));
    importer->drawListedNodes(importer->scene, importer->scene->mRootNode, otherNodes);
}

namespace {
void writeCameraMatrices(GLuint buffer, const Camera& camera) {
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    glBufferSubData(GL_UNIFORM_BUFFER, ProjectionOffset, sizeof(mat4), glm::value_ptr(camera.projection));
    glBufferSubData(GL_UNIFORM_BUFFER, ViewOffset, sizeof(mat4), glm::value_ptr(camera.view));
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}
}  // namespace

void Demo::reflectPass() {
    importer->registry->use("reflect");
    writeCameraMatrices(importer->matricesBuffer, camera);
    for (SceneryObject* entry : reflectiveObjects) {
        auto* object = dynamic_cast<ReflectionObject*>(entry);
        if (!object) continue;
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(object->cubeMap.color));
        importer->getRender()->draw({object->getNode()});
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
}

void Demo::refractPass() {
    importer->registry->use("refract");
    writeCameraMatrices(importer->matricesBuffer, camera);
    for (SceneryObject* entry : refractiveObjects) {
        auto* object = dynamic_cast<ReflectionObject*>(entry);
        if (!object) continue;
        writeSphereBlock(importer->sphereBuffer, object->getPosition(true));
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(object->cubeMap.color));
        importer->getRender()->draw({object->getNode()});
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
}

void Demo::particlePass() {
    glDepthMask(GL_FALSE);
    importer->registry->use("particle");
    const float now = static_cast<float>(particleClock ? *particleClock : glfwGetTime());
    particles->deltaTime = now - particles->time;
    particles->time = now;
    particles->draw();
    glDepthMask(GL_TRUE);
}

void Demo::depthPass() {
    importer->registry->use("depth");
    glBindFramebuffer(GL_FRAMEBUFFER, depthTarget->framebuffer);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    importer->drawNode(importer->scene, importer->scene->mRootNode);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Demo::motionBlurPass(double dt) {
    ShaderRegistry& registry = *importer->registry;
    registry.use("motionblur");
    const GLuint program = registry.current->program;
    writeMatrix(importer->matricesBuffer, ProjectionOffset, camera.projection);
    glUniform1f(glGetUniformLocation(program, "fps"), static_cast<float>(1.0 / dt));
    writeMatrix(importer->previousMatricesBuffer, ViewOffset, camera.previousView);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.8f, 0.9f, 0.5f);

    // The depth target gets a unit of its own so the composite can read both targets.
    glUniform1i(glGetUniformLocation(program, "depthBuffer"), TextureUnit::DepthTarget);
    glActiveTexture(GL_TEXTURE0 + TextureUnit::DepthTarget);
    glBindTexture(GL_TEXTURE_2D, depthTarget->texture);
    glUniform1i(glGetUniformLocation(program, "colorBuffer"), 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, colorTarget->texture);

    glViewport(0, 0, ScreenWidth, ScreenHeight);
    glBindVertexArray(quad->vertexArray);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quad->indexBuffer);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glGenerateMipmap(GL_TEXTURE_2D);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

template <typename Step>
void Demo::timed(Pass pass, Step step) {
    if (observer) observer->beginPass(pass);
    step();
    if (observer) observer->endPass(pass);
}

void Demo::renderFrame(double dt) {
    timed(Pass::Camera, [&] {
        path.advance(static_cast<float>(dt));
        importer->animateLight(dt);
    });
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    timed(Pass::EnvironmentMap, [&] { refreshEnvironmentMap(dt); });
    glViewport(0, 0, ScreenWidth, ScreenHeight);
    timed(Pass::Main, [&] { mainPass(); });
    timed(Pass::Reflect, [&] { reflectPass(); });
    timed(Pass::Refract, [&] { refractPass(); });
    timed(Pass::Particles, [&] { particlePass(); });
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    timed(Pass::Depth, [&] { depthPass(); });
    timed(Pass::Composite, [&] { motionBlurPass(dt); });
}

bool Demo::present() {
    glfwSwapBuffers(window);
    glfwPollEvents();
    const bool stop = glfwGetKey(window, GLFW_KEY_ESCAPE) == GLFW_PRESS || glfwWindowShouldClose(window);
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        // The first error of a run is counted, not shown; later ones run on one line.
        if (errorCount > 0) {
            std::printf("GL error! %u", error);
            std::fflush(stdout);
        }
        ++errorCount;
    }
    return stop;
}

}  // namespace Quessel
