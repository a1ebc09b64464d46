#include "app/Demo.h"

#include "app/DemoParts.h"
#include "app/LookFaces.h"
#include "app/OffscreenFramebuffer.h"
#include "app/ScreenQuad.h"
#include "core/Console.h"
#include "core/GlConstants.h"
#include "envmap/EnvironmentMapRenderer.h"
#include "envmap/IEnvironmentMapRenderer.h"
#include "envmap/SphereBlock.h"
#include "envmap/TextureBoxRenderer.h"
#include "envmap/TextureBoxSaver.h"
#include "look/BackgroundChoice.h"
#include "look/Look.h"
#include "look/SurfaceDrawer.h"
#include "math/Camera.h"
#include "particles/ParticleSystem.h"
#include "scene/Importer.h"
#include "scene/ReflectionObject.h"
#include "scene/ShaderRegistry.h"

#include <GLFW/glfw3.h>
#include <assimp/scene.h>
#include <fmt/format.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <utility>

namespace Quessel {

DemoParts::DemoParts() = default;
DemoParts::~DemoParts() = default;

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

struct MatrixAt {
    GLintptr offset;
    const mat4& matrix;
};

// Matrices written into a uniform buffer at their offsets, in one binding of it.
void writeMatrices(GLuint buffer, std::initializer_list<MatrixAt> matrices) {
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    for (const MatrixAt& at : matrices)
        glBufferSubData(GL_UNIFORM_BUFFER, at.offset, sizeof(mat4), glm::value_ptr(at.matrix));
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

void writeMatrix(GLuint buffer, GLintptr offset, const mat4& matrix) { writeMatrices(buffer, {{offset, matrix}}); }

// The reflect and refract passes write both of the camera's matrices at once.
void writeCameraMatrices(GLuint buffer, const Camera& camera) {
    writeMatrices(buffer, {{ProjectionOffset, camera.projection}, {ViewOffset, camera.view}});
}
}  // namespace

Demo::Demo(GLFWwindow* window, DemoScene scene)
    : glfwWindow(window),
      loaded(std::move(scene)),
      viewpoint(Camera::instance()),
      cameraPath(viewpoint),
      owned(std::make_unique<DemoParts>()),
      fit(loaded) {}

Demo::~Demo() = default;

void Demo::createUniformBuffers() {
    Importer& importer = *owned->importer;
    const ShaderProgram& test = *importer.registry->current;
    importer.matricesBuffer = makeUniformBuffer(BlockSize::Matrices, test.matricesBinding);
    importer.previousMatricesBuffer = makeUniformBuffer(BlockSize::Matrices, test.previousMatricesBinding);
    importer.sphereBuffer = makeUniformBuffer(BlockSize::Sphere, test.sphereBinding);
}

bool Demo::setup() {
    DemoParts& parts = *owned;
    parts.importer = std::make_unique<Importer>();
    Importer& importer = *parts.importer;
    ShaderRegistry& registry = *importer.registry;
    registry.use("test");
    importer.roles = {loaded.mirrors, loaded.glass};
    if (!fit.admit(failed)) return fail();
    importer.memoryBudget = fit.importCeiling();
    importer.validate = loaded.validated;
    importer.brought = loaded.brought;
    // Nothing later can work without a scene: stop here with the import messages printed.
    if (!importer.loadScene(loaded.path)) {
        failed.message = importer.ranOutOfMemory
                             ? fmt::format(
                                   "the scene {} needs more memory than it may take ({:.1f} GiB, three quarters of "
                                   "the memory this machine had available, less its cube maps)",
                                   loaded.path, static_cast<double>(importer.memoryBudget) / (1 << 30))
                             : "the scene " + loaded.path + " could not be imported: " + importer.importError;
        return fail();
    }
    if (!fit.placeImported(importer, failed)) return fail();
    importer.imageSearch.folders.insert(importer.imageSearch.folders.begin(), loaded.imageFolders.begin(),
                                        loaded.imageFolders.end());
    importer.imageSearch.lenient = loaded.brought;
    importer.loadTextures();
    registry.use("motionblur");
    parts.quad = std::make_unique<ScreenQuad>(registry);
    registry.use("test");
    // With its own look a brought scene's surfaces, depth and cube-map faces are drawn from
    // the look's meshes: the demo's are made only for the nodes that reflect or refract.
    const bool lookDraws = loaded.brought && loaded.ownLook;
    const std::vector<bool> demoMeshes =
        lookDraws ? importer.meshesOf({ObjectKind::Reflective, ObjectKind::Refractive}) : std::vector<bool>{};
    importer.buildMeshes(importer.scene, demoMeshes);
    // The look decodes the images it draws for itself; the importer's pass has named those
    // missing, and its copies of the rest would only take memory.
    if (lookDraws) importer.releaseUnusedTextures();
    if (!fit.fitMeshes(importer, failed)) return fail();
    if (!createLook()) return fail();
    const SceneFitting& fitting = fit.fitting();
    if (fitting.ownScale) viewpoint.projection = fitting.framing.projection();
    createUniformBuffers();
    glEnable(GL_MULTISAMPLE);
    // A brought scene's camera is framed below: the default one is not said, the import's
    // line ended instead.
    if (loaded.brought)
        printConsole("\n");
    else
        viewpoint.updateFromAngles();
    writeMatrix(importer.matricesBuffer, ProjectionOffset, viewpoint.projection);
    writeMatrix(importer.previousMatricesBuffer, ProjectionOffset, viewpoint.projection);
    importer.model = mat4(1.0f);

    const GLuint refract = registry.get("refract").program;
    const GLuint reflect = registry.get("reflect").program;
    const GLuint test = registry.get("test").program;
    parts.renderers =
        createRenderers(&importer, test, importer.matricesBuffer, reflect, refract, importer.sphereBuffer);
    if (fitting.ownScale)
        for (const auto& renderer : parts.renderers)
            if (auto* faces = dynamic_cast<EnvironmentMapRenderer*>(renderer.get())) {
                faces->setPlanes(fitting.framing.nearPlane(), fitting.framing.farPlane());
                faces->scenery = parts.lookFaces.get();
            }
    parts.particles = fitting.smoke ? std::make_unique<ParticleSystem>(&importer, *fitting.smoke)
                                    : std::make_unique<ParticleSystem>(&importer);
    renderInitialEnvironmentMaps();

    parts.loadedCubeMap = loadCubeMap(PreparedCubeMap, "tga");
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    registry.use("test");
    if (loaded.brought) printConsole("the scene's nodes:\n");
    importer.setupLight(importer.scene->mRootNode);
    fit.light(importer);
    parts.depthTarget = std::make_unique<OffscreenFramebuffer>();
    parts.colorTarget = std::make_unique<OffscreenFramebuffer>();
    parts.otherNodes = importer.getNodes(ObjectKind::Other);
    parts.reflectiveObjects = importer.getObjects(ObjectKind::Reflective);
    parts.refractiveObjects = importer.getObjects(ObjectKind::Refractive);
    cameraPath.start();
    if (fitting.ownScale) {
        // A brought scene starts framed, the camera still.
        const CameraPose framed = fitting.framing.view();
        viewpoint.position = framed.position;
        viewpoint.direction = framed.direction;
        viewpoint.view = viewpoint.previousView = framed.view;
    }
    // Everything that reads a brought scene's vertices has run: its bounds, framing,
    // mirrors' centres and meshes' boxes are taken, and its meshes are on the GPU.
    if (loaded.brought) importer.releaseMeshData();
    return true;
}

bool Demo::createLook() {
    if (!loaded.brought || !loaded.ownLook) return true;
    DemoParts& parts = *owned;
    Importer& importer = *parts.importer;
    std::string error;
    Look::Settings settings;
    settings.environment = loaded.sky;
    settings.sayMissingImages = false;
    // Only to compare pictures drawn with and without leaving out what a view does not see.
    settings.culling = std::getenv("QUESSEL_NO_CULLING") == nullptr;
    const std::optional<BackgroundChoice> background = BackgroundChoice::parse(loaded.background, error);
    if (!background) {
        failed = {2, "--background: " + error};
        return false;
    }
    settings.background = *background;
    parts.look = Look::create(importer.scene, importer.imageSearch, settings, error);
    if (!parts.look) {
        failed = {1, "the scene's look cannot be made: " + error};
        return false;
    }
    parts.lookFaces = std::make_unique<LookFaces>(*parts.look);
    fit.describeLook(parts.look->notes());
    // Baking the environment drew into targets of its own.
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, ScreenWidth, ScreenHeight);
    importer.registry->use("test");
    return true;
}

bool Demo::smokes() const { return !loaded.brought || fit.fitting().smoke.has_value(); }

bool Demo::fail() {
    // The import's success line has no line end of its own; what is said next starts anew.
    if (owned->importer && owned->importer->scene) printConsole("\n");
    return false;
}

void Demo::renderInitialEnvironmentMaps() {
    DemoParts& parts = *owned;
    for (const auto& renderer : parts.renderers) {
        ReflectionObject* object = renderer->getObject();
        const vec3 position = object->getPosition(true);
        renderer->update(0.0);
        renderer->render(position);
        // A brought scene's faces are no files of the demo's, whatever its nodes are called.
        if (loaded.brought) continue;
        const std::string folder = makeTextureBoxPath(object->getNode()->mName.C_Str());
        if (!parts.saver) parts.saver = std::make_unique<TextureBoxSaver>();
        parts.saver->save(object, folder);
    }
}

void Demo::moveCamera(const FramePlan& plan) {
    switch (plan.camera) {
    case FramePlan::Camera::Path: cameraPath.advance(static_cast<float>(plan.step)); break;
    case FramePlan::Camera::Hold: viewpoint.previousView = viewpoint.view; break;
    case FramePlan::Camera::Given:
        viewpoint.previousView = viewpoint.view;
        viewpoint.position = plan.pose.position;
        viewpoint.direction = plan.pose.direction;
        viewpoint.view = plan.pose.view;
        break;
    }
}

void Demo::refreshNext(double dt) {
    DemoParts& parts = *owned;
    parts.rotationIndex = (parts.rotationIndex + 1) % static_cast<int>(parts.renderers.size());
    IEnvironmentMapRenderer& renderer = *parts.renderers[parts.rotationIndex];
    const vec3 position = renderer.getObject()->getPosition(true);
    renderer.update(dt);
    renderer.render(position);
    lastRefreshed = parts.rotationIndex;
}

void Demo::refreshEnvironmentMaps(const FramePlan& plan) {
    const size_t count = owned->renderers.size();
    if (count == 0) return;
    // Every: each renderer in turn, ending where the rotation stood.
    for (size_t i = 0; i < (plan.refresh == FramePlan::Refresh::Every ? count : 1); ++i) refreshNext(plan.step);
}

void Demo::mainPass() {
    DemoParts& parts = *owned;
    Importer& importer = *parts.importer;
    writeMatrix(importer.matricesBuffer, ProjectionOffset, viewpoint.projection);
    glBindFramebuffer(GL_FRAMEBUFFER, parts.colorTarget->framebuffer);
    const GLfloat background[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    const GLfloat farDepth = 1.0f;
    glClearBufferfv(GL_COLOR, 0, background);
    glClearBufferfv(GL_DEPTH, 0, &farDepth);
    // The refresh leaves unit 26 active; selecting it keeps the prepared cube map where
    // "test" samples it even when no renderer ran this frame.
    glActiveTexture(GL_TEXTURE0 + TextureUnit::CubeMap);
    glBindTexture(GL_TEXTURE_CUBE_MAP, parts.loadedCubeMap);

    if (parts.look) {
        // A brought scene as itself: its environment or the background chosen behind, its
        // surfaces with their own materials and lights.
        glEnable(GL_DEPTH_TEST);
        writeMatrix(importer.matricesBuffer, ViewOffset, viewpoint.view);
        // A plain colour behind is the same pixels cleared as drawn over the whole target:
        // the clear costs a software rasteriser far less.
        if (const std::optional<vec3> plain = parts.look->plainBackground()) {
            const GLfloat colour[4] = {plain->r, plain->g, plain->b, 1.0f};
            glClearBufferfv(GL_COLOR, 0, colour);
        } else {
            parts.look->drawBackground();
        }
        parts.look->surfaces().draw(parts.otherNodes);
        return;
    }
    ShaderRegistry& registry = *importer.registry;
    registry.use("test");
    glEnable(GL_DEPTH_TEST);
    writeMatrix(importer.matricesBuffer, ViewOffset, viewpoint.view);
    const GLuint program = registry.current->program;
    glUniform3fv(glGetUniformLocation(program, "cameraPosition"), 1, glm::value_ptr(viewpoint.position));
    glUniform3fv(glGetUniformLocation(program, "cameraDirection"), 1, glm::value_ptr(viewpoint.direction));
    importer.drawListedNodes(importer.scene, importer.scene->mRootNode, parts.otherNodes);
}

void Demo::reflectPass() {
    Importer& importer = *owned->importer;
    importer.registry->use("reflect");
    writeCameraMatrices(importer.matricesBuffer, viewpoint);
    for (SceneryObject* entry : owned->reflectiveObjects) {
        auto* object = dynamic_cast<ReflectionObject*>(entry);
        if (!object) continue;
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(object->cubeMap.color));
        importer.getRender()->draw({object->getNode()});
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
}

void Demo::refractPass() {
    Importer& importer = *owned->importer;
    importer.registry->use("refract");
    writeCameraMatrices(importer.matricesBuffer, viewpoint);
    for (SceneryObject* entry : owned->refractiveObjects) {
        auto* object = dynamic_cast<ReflectionObject*>(entry);
        if (!object) continue;
        writeSphereBlock(importer.sphereBuffer, object->getPosition(true));
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(object->cubeMap.color));
        importer.getRender()->draw({object->getNode()});
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
}

void Demo::particlePass(const FramePlan& plan) {
    ParticleSystem& particles = *owned->particles;
    glDepthMask(GL_FALSE);
    owned->importer->registry->use("particle");
    // Asked here, as the pass runs: quessel's clock is GLFW's, read at this point of the frame.
    const float now = static_cast<float>(plan.time());
    particles.deltaTime = now - particles.time;
    particles.time = now;
    particles.draw(plan.draw);
    glDepthMask(GL_TRUE);
}

void Demo::carryOver() {
    // The next frame's first cube-map face samples unit 26 as the main pass leaves it, and
    // clears with the colour the composite leaves.
    glActiveTexture(GL_TEXTURE0 + TextureUnit::CubeMap);
    glBindTexture(GL_TEXTURE_CUBE_MAP, owned->loadedCubeMap);
    glActiveTexture(GL_TEXTURE0);
    glClearColor(0.0f, 0.8f, 0.9f, 0.5f);
}

void Demo::depthPass() {
    Importer& importer = *owned->importer;
    importer.registry->use("depth");
    glBindFramebuffer(GL_FRAMEBUFFER, owned->depthTarget->framebuffer);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // A brought scene with its look keeps one set of meshes, the look's: the same positions
    // and node matrices, so the same depths, with what the view cannot see skipped.
    if (owned->look)
        owned->look->surfaces().drawPositions();
    else
        importer.drawNode(importer.scene, importer.scene->mRootNode);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void Demo::motionBlurPass(double dt) {
    DemoParts& parts = *owned;
    Importer& importer = *parts.importer;
    ShaderRegistry& registry = *importer.registry;
    registry.use("motionblur");
    const GLuint program = registry.current->program;
    writeMatrix(importer.matricesBuffer, ProjectionOffset, viewpoint.projection);
    glUniform1f(glGetUniformLocation(program, "fps"), static_cast<float>(1.0 / dt));
    writeMatrix(importer.previousMatricesBuffer, ViewOffset, viewpoint.previousView);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.8f, 0.9f, 0.5f);

    // The depth target gets a unit of its own so the composite can read both targets.
    glUniform1i(glGetUniformLocation(program, "depthBuffer"), TextureUnit::DepthTarget);
    glActiveTexture(GL_TEXTURE0 + TextureUnit::DepthTarget);
    glBindTexture(GL_TEXTURE_2D, parts.depthTarget->texture);
    glUniform1i(glGetUniformLocation(program, "colorBuffer"), 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, parts.colorTarget->texture);

    glViewport(0, 0, ScreenWidth, ScreenHeight);
    glBindVertexArray(parts.quad->vertexArray);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, parts.quad->indexBuffer);
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

void Demo::renderFrame(const FramePlan& plan) {
    timed(Pass::Camera, [&] {
        moveCamera(plan);
        Importer& importer = *owned->importer;
        importer.animateLight(plan.step);
        fit.animate(plan.step, importer);
        if (owned->look) {
            // The look's key light turns as the demo's light does.
            owned->keyLightAngle += 0.5 * plan.step;
            owned->look->setKeyLight(static_cast<float>(owned->keyLightAngle));
        }
    });
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    lastRefreshed = -1;
    if (plan.refresh != FramePlan::Refresh::None) timed(Pass::EnvironmentMap, [&] { refreshEnvironmentMaps(plan); });
    if (!plan.draw) {
        // Only what later frames build on: the smoke moves on, nothing is drawn.
        timed(Pass::Particles, [&] {
            if (smokes()) particlePass(plan);
        });
        carryOver();
        return;
    }
    glViewport(0, 0, ScreenWidth, ScreenHeight);
    timed(Pass::Main, [&] { mainPass(); });
    timed(Pass::Reflect, [&] { reflectPass(); });
    timed(Pass::Refract, [&] { refractPass(); });
    timed(Pass::Particles, [&] {
        if (smokes()) particlePass(plan);
    });
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    timed(Pass::Depth, [&] { depthPass(); });
    timed(Pass::Composite, [&] { motionBlurPass(plan.compositeStep); });
}

bool Demo::present() {
    glfwSwapBuffers(glfwWindow);
    glfwPollEvents();
    const bool stop = glfwGetKey(glfwWindow, GLFW_KEY_ESCAPE) == GLFW_PRESS || glfwWindowShouldClose(glfwWindow);
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        // The first error of a run is counted, not shown; later ones run on one line.
        if (errors > 0) {
            std::printf("GL error! %u", error);
            std::fflush(stdout);
        }
        ++errors;
    }
    return stop;
}

void Demo::observe(IPassObserver* next) { observer = next; }

GLFWwindow* DemoView::window() const { return demo.glfwWindow; }

const DemoScene& DemoView::scene() const { return demo.loaded; }

const Camera& DemoView::camera() const { return demo.viewpoint; }

const CameraPath& DemoView::path() const { return demo.cameraPath; }

std::vector<MirrorView> DemoView::mirrors() const {
    const DemoParts& parts = *demo.owned;
    std::vector<MirrorView> views;
    for (const auto& [list, refractive] :
         {std::pair{&parts.reflectiveObjects, false}, std::pair{&parts.refractiveObjects, true}})
        for (SceneryObject* entry : *list)
            if (auto* object = dynamic_cast<ReflectionObject*>(entry))
                views.push_back(
                    {object->getNode()->mName.C_Str(), refractive, static_cast<GLuint>(object->cubeMap.color)});
    return views;
}

int DemoView::refreshed() const { return demo.lastRefreshed; }

GLuint DemoView::colorTarget() const { return demo.owned->colorTarget->texture; }

GLuint DemoView::depthTarget() const { return demo.owned->depthTarget->texture; }

int DemoView::errorCount() const { return demo.errors; }

const SceneFitting& DemoView::fitting() const { return demo.fit.fitting(); }

const std::vector<SurfaceMaterial>& DemoView::materials() const {
    static const std::vector<SurfaceMaterial> none;
    return demo.owned->look ? demo.owned->look->drawer().materials() : none;
}

DrawStats DemoView::lookDraws() const { return demo.owned->look ? demo.owned->look->drawer().total() : DrawStats{}; }

}  // namespace Quessel
