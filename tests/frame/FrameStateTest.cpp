// The state real frames draw with: the blocks set-up binds, the filters of every texture
// the shaders sample, the clear colours, and at each draw its viewport, depth state,
// matrices and the texture behind every sampler.
#include "FrameDriver.h"
#include "GlCallRecorder.h"

#include "app/OffscreenFramebuffer.h"
#include "harness/PathChoice.h"
#include "paths/Tour.h"
#include "envmap/EnvironmentMapRenderer.h"
#include "envmap/IEnvironmentMapFramebuffer.h"
#include "math/Camera.h"
#include "particles/ParticleSystem.h"
#include "scene/Importer.h"
#include "scene/ReflectionObject.h"
#include "scene/ShaderRegistry.h"

#include <assimp/scene.h>

#include <algorithm>
#include <set>

using namespace Quessel;
using Quessel::Test::ClearCall;
using Quessel::Test::DrawCall;

namespace {

using Parameters = std::map<GLenum, GLint>;
const Parameters linear = {{GL_TEXTURE_MAG_FILTER, GL_LINEAR}, {GL_TEXTURE_MIN_FILTER, GL_LINEAR}};
const Parameters linearClamped = {{GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                                  {GL_TEXTURE_MIN_FILTER, GL_LINEAR},
                                  {GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE},
                                  {GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE},
                                  {GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE}};

std::vector<ReflectionObject*> spheres(const Demo& demo) {
    std::vector<ReflectionObject*> all;
    for (const auto* list : {&demo.parts().reflectiveObjects, &demo.parts().refractiveObjects})
        for (SceneryObject* object : *list) all.push_back(dynamic_cast<ReflectionObject*>(object));
    return all;
}

void expectClears(const std::vector<ClearCall>& clears, const std::vector<float>& color) {
    ASSERT_FALSE(clears.empty());
    for (const ClearCall& clear : clears) {
        SCOPED_TRACE("framebuffer " + std::to_string(clear.framebuffer));
        EXPECT_EQ(std::vector<float>(clear.color, clear.color + 4), color);
        EXPECT_EQ(clear.mask, static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));
    }
}

bool clears(const std::vector<ClearCall>& calls, GLuint framebuffer) {
    for (const ClearCall& call : calls)
        if (call.framebuffer == framebuffer) return true;
    return false;
}

// Leaves state behind where a pass must set its own: another texture unit active before
// the passes that bind textures, a tiny viewport after the cube-map refresh and before
// the composite.
struct StateMeddler : IPassObserver {
    void beginPass(Pass pass) override {
        if (pass == Pass::Reflect || pass == Pass::Refract || pass == Pass::Particles || pass == Pass::Composite)
            glActiveTexture(GL_TEXTURE5);
        if (pass == Pass::Composite) glViewport(0, 0, 7, 7);
    }
    void endPass(Pass pass) override {
        if (pass == Pass::EnvironmentMap) glViewport(0, 0, 7, 7);
    }
};

}  // namespace

TEST(FrameState, SetUpBindsTheBlocksFiltersItsTexturesAndClearsWhiteUntilTheFirstComposite) {
    Quessel::Test::GlCallRecorder recorder;
    Quessel::Test::FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    Demo& demo = driver.demo;
    const Importer& importer = *demo.parts().importer;

    struct Block {
        const char* name;
        GLuint binding;
        GLuint buffer;
        GLint size;
        GLint usage;
    };
    const Block blocks[] = {{"Matrices", 1, importer.matricesBuffer, 192, GL_DYNAMIC_DRAW},
                            {"PreviousMatrices", 4, importer.previousMatricesBuffer, 192, GL_DYNAMIC_DRAW},
                            {"Sphere", 7, importer.sphereBuffer, 20, GL_DYNAMIC_DRAW},
                            {"PointLight", 3, importer.lightRecord->buffer, 56, GL_STATIC_DRAW}};
    for (const Block& block : blocks) {
        SCOPED_TRACE(block.name);
        GLint bound = 0, start = -1, size = 0, usage = 0;
        glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, block.binding, &bound);
        glGetIntegeri_v(GL_UNIFORM_BUFFER_START, block.binding, &start);
        glGetIntegeri_v(GL_UNIFORM_BUFFER_SIZE, block.binding, &size);
        EXPECT_EQ(static_cast<GLuint>(bound), block.buffer);
        EXPECT_EQ(start, 0);
        EXPECT_EQ(size, block.size);
        glBindBuffer(GL_UNIFORM_BUFFER, block.buffer);
        glGetBufferParameteriv(GL_UNIFORM_BUFFER, GL_BUFFER_SIZE, &size);
        glGetBufferParameteriv(GL_UNIFORM_BUFFER, GL_BUFFER_USAGE, &usage);
        EXPECT_EQ(size, block.size);
        EXPECT_EQ(usage, block.usage);
    }
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    // The previous projection is written once, here; the frames only write the view.
    EXPECT_EQ(Quessel::Test::readBuffer<mat4>(importer.previousMatricesBuffer, 1)[0], demo.view().camera().projection);

    // GL starts with multisampling on, so only the call shows that set-up asks for it.
    const std::vector<GLenum>& enabled = recorder.enabled();
    EXPECT_NE(std::find(enabled.begin(), enabled.end(), GLenum(GL_MULTISAMPLE)), enabled.end());
    EXPECT_TRUE(glIsEnabled(GL_MULTISAMPLE));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_CUBE_MAP_SEAMLESS));

    // GL's default minification needs mipmaps none of these have, and its default
    // magnification is only the default: every sampled texture is given both filters.
    for (const auto* textures : {&importer.textures, &importer.normalMaps})
        for (const auto& entry : *textures) EXPECT_EQ(recorder.textureParameters(entry.second), linear) << entry.first;
    EXPECT_EQ(recorder.textureParameters(demo.parts().particles->texture), linear) << "smoke sprite";
    EXPECT_EQ(recorder.textureParameters(demo.view().depthTarget()), linear) << "depth target";
    EXPECT_EQ(recorder.textureParameters(demo.view().colorTarget()), linear) << "colour target";
    EXPECT_EQ(recorder.textureParameters(demo.parts().loadedCubeMap), linearClamped) << "prepared cube map";
    for (ReflectionObject* sphere : spheres(demo))
        EXPECT_EQ(recorder.textureParameters(static_cast<GLuint>(sphere->cubeMap.color)), linearClamped)
            << sphere->getNode()->mName.C_Str();

    // The faces saved at set-up and the whole first frame clear with the particle system's
    // white (the saved faces are white where nothing is drawn); the first composite
    // switches every later clear to its own colour.
    expectClears(recorder.clears(), {1.0f, 1.0f, 1.0f, 1.0f});
    recorder.clear();
    driver.frame(1.0 / 30.0);
    expectClears(recorder.clears(), {1.0f, 1.0f, 1.0f, 1.0f});
    EXPECT_TRUE(clears(recorder.clears(), 0)) << "the window";
    EXPECT_TRUE(clears(recorder.clears(), demo.parts().depthTarget->framebuffer)) << "the depth target";
    recorder.clear();
    driver.frame(1.0 / 30.0);
    expectClears(recorder.clears(), {0.0f, 0.8f, 0.9f, 0.5f});
    EXPECT_TRUE(clears(recorder.clears(), 0)) << "the window";
}

TEST(FrameState, EveryDrawFindsItsTexturesMatricesViewportAndDepthState) {
    Quessel::Test::FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    Demo& demo = driver.demo;
    const Importer& importer = *demo.parts().importer;
    ShaderRegistry& registry = *importer.registry;
    const GLuint test = registry.get("test").program, reflect = registry.get("reflect").program,
                 refract = registry.get("refract").program, particle = registry.get("particle").program,
                 motionblur = registry.get("motionblur").program;

    // The shaders name their units too; pointing the samplers elsewhere shows whether the
    // passes set the units themselves, as they must for shaders that do not.
    const std::pair<GLuint, const char*> hostSet[] = {{test, "tex"},
                                                      {test, "nmTex"},
                                                      {motionblur, "colorBuffer"},
                                                      {motionblur, "depthBuffer"},
                                                      {particle, "ParticleTex"}};
    for (const auto& sampler : hostSet)
        glProgramUniform1i(sampler.first, glGetUniformLocation(sampler.first, sampler.second), 5);
    StateMeddler meddler;
    driver.observe(&meddler);
    Quessel::Test::GlCallRecorder recorder;
    driver.frame(1.0 / 30.0);
    driver.observe(nullptr);

    std::set<GLuint> faces;
    for (const auto& renderer : demo.parts().renderers)
        for (int face = 0; face < 6; ++face)
            faces.insert(dynamic_cast<EnvironmentMapRenderer*>(renderer.get())->framebuffer->getFramebuffer(face));
    const Camera& camera = demo.view().camera();
    std::vector<GLint> sphereCubeMaps, expectedCubeMaps;
    for (ReflectionObject* sphere : spheres(demo)) {
        const aiNode* node = sphere->getNode();
        for (unsigned i = 0; i < node->mNumMeshes; ++i)
            if (importer.meshes[node->mMeshes[i]].faceCount > 0) expectedCubeMaps.push_back(sphere->cubeMap.color);
    }
    int particleRenders = 0, composites = 0;
    for (const DrawCall& draw : recorder.calls()) {
        const bool face = faces.count(draw.framebuffer) > 0;
        SCOPED_TRACE("program " + std::to_string(draw.program) + " into framebuffer " +
                     std::to_string(draw.framebuffer));
        const std::vector<GLint> viewport(draw.viewport, draw.viewport + 4);
        const std::vector<GLint> faceViewport = {0, 0, 512, 512}, screenViewport = {0, 0, 1280, 768};
        EXPECT_EQ(viewport, face ? faceViewport : screenViewport);
        EXPECT_TRUE(draw.depthTest);
        EXPECT_EQ(draw.depthFunction, static_cast<GLenum>(GL_LESS));
        EXPECT_TRUE(draw.polygonOffset);
        EXPECT_EQ(draw.depthWrites, draw.program != particle);
        if (draw.program == test) {
            EXPECT_EQ(draw.sampler("tex").unit, 0);
            EXPECT_EQ(draw.sampler("nmTex").unit, 1);
        }
        if (face) continue;
        if (draw.program == motionblur) {
            ++composites;
            EXPECT_EQ(draw.sampler("colorBuffer").texture, demo.view().colorTarget());
            EXPECT_EQ(draw.sampler("depthBuffer").texture, demo.view().depthTarget());
            EXPECT_EQ(draw.projection, camera.projection);
            EXPECT_EQ(draw.previousProjection, camera.projection);
            EXPECT_EQ(draw.previousView, camera.previousView);
            continue;
        }
        // Main, reflect, refract, particle and depth passes see the camera.
        EXPECT_EQ(draw.projection, camera.projection);
        EXPECT_EQ(draw.view, camera.view);
        if (draw.program == test) {
            const Quessel::Test::SamplerUse& cube = draw.sampler(GL_SAMPLER_CUBE);
            EXPECT_EQ(cube.unit, 26);
            EXPECT_EQ(cube.texture, demo.parts().loadedCubeMap);
        }
        if (draw.program == reflect || draw.program == refract) {
            const Quessel::Test::SamplerUse& cube = draw.sampler(GL_SAMPLER_CUBE);
            EXPECT_EQ(cube.unit, 0);
            sphereCubeMaps.push_back(static_cast<GLint>(cube.texture));
        }
        if (draw.program == particle) {
            // The update captures with its subroutine; the render draws what it captured.
            const bool render = draw.kind == DrawCall::TransformFeedback;
            EXPECT_EQ(draw.vertexSubroutine,
                      glGetSubroutineIndex(particle, GL_VERTEX_SHADER, render ? "render" : "update"));
            particleRenders += render;
            if (render) {
                EXPECT_EQ(draw.sampler("ParticleTex").texture, demo.parts().particles->texture);
            }
        }
    }
    // Each sphere is drawn with its own cube map, reflective ones first.
    EXPECT_EQ(sphereCubeMaps, expectedCubeMaps);
    EXPECT_EQ(particleRenders, 1);
    EXPECT_EQ(composites, 1);
}

// Every scene is fitted once, our own too: it keeps the demo's planes and camera, and its
// box and its spheres' extents are there for the tools, so its tour visits each sphere and
// the path a tool flies by default is the demo's own.
TEST(FrameState, OurOwnSceneIsFittedWithTheDemosPlanesAndItsSpheres) {
    Quessel::Test::FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    const DemoView view = driver.demo.view();
    const SceneFitting& fitting = view.fitting();
    EXPECT_FALSE(fitting.ownScale);
    EXPECT_FALSE(fitting.placement.moves());
    EXPECT_NEAR(fitting.nearPlane(), 0.1f, 1e-6f);
    EXPECT_NEAR(fitting.farPlane(), 10000.0f, 1e-2f);
    EXPECT_EQ(fitting.relativeSize(), 1.0f);
    EXPECT_EQ(fitting.light, "the scene's PointLight1, circling as the demo's light does");
    EXPECT_TRUE(fitting.notes.empty());
    ASSERT_FALSE(fitting.framing.bounds.empty());

    const std::vector<ReflectionObject*> all = spheres(driver.demo);
    ASSERT_EQ(fitting.objects.size(), all.size());
    ASSERT_EQ(all.size(), 3u);
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(fitting.objects[i].centre, all[i]->getPosition(true)) << i;
        EXPECT_GT(fitting.objects[i].radius, 0.0f) << i;
        EXPECT_LT(fitting.objects[i].radius, fitting.framing.radius()) << i;
    }
    // An orbit, then round again with a hold in front of each sphere.
    const CameraPath::Script tour = PathChoice::tour(view);
    EXPECT_GE(tour.rows.size(), 2 * Tour::OrbitMoves + 5 * all.size());
    EXPECT_EQ(std::count_if(tour.rows.begin(), tour.rows.end(),
                            [](const CameraPath::Row& row) { return row.kind == CameraPath::Kind::Hold; }),
              static_cast<long>(all.size()));
    EXPECT_EQ(PathChoice::made("", view).rows.size(), CameraPath::RowCount);
    EXPECT_EQ(PathChoice::made("tour", view).rows.size(), PathChoice::tour(view).rows.size());
}
