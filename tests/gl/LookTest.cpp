// A brought scene's look drawn on the hidden context: the furnace and the mirror, lit
// surfaces against their analytic values, alpha, materials against the background, a PLY
// without a material, textures, normal maps, the blocks the programs declare, and each view
// drawing only the meshes and chunks it sees.
#include "FunctionEnvironment.h"
#include "GlTestContext.h"
#include "GlTestHelpers.h"
#include "LookScenes.h"
#include "SceneFiles.h"
#include "core/ImageDifference.h"
#include "envmap/TextureBoxRenderer.h"
#include "look/LightingBlock.h"
#include "look/Look.h"
#include "look/LookPrograms.h"
#include "look/StudioEnvironment.h"
#include "look/SurfaceDrawer.h"
#include "look/SurfaceMaterialBlock.h"
#include "look/ToneCurve.h"
#include "scene/IRender.h"
#include "scene/IScene.h"
#include "scene/ImageSearch.h"

#include <assimp/postprocess.h>
#include <assimp/Importer.hpp>

#include <cmath>
#include <memory>

using namespace Quessel;
using namespace Quessel::Test;

namespace {

constexpr float Pi = 3.14159265f;
constexpr int Size = 96;

// One camera over a small target, with the "Matrices" block at binding 1 as a pass leaves it.
struct LookCamera {
    RenderTarget target{Size, Size};
    vec3 eye;
    mat4 projection = glm::perspective(glm::radians(40.0f), 1.0f, 0.1f, 100.0f);
    mat4 view;
    GLuint matrices;

    explicit LookCamera(const vec3& eye, const vec3& at = vec3(0.0f))
        : eye(eye), view(glm::lookAt(eye, at, std::abs(eye.y) > 0.99f * glm::length(eye - at) ? vec3(0, 0, -1) : vec3(0, 1, 0))) {
        upload();
    }
    // Any view, a cube-map face's say.
    LookCamera(const mat4& projection, const mat4& view)
        : eye(glm::inverse(view)[3]), projection(projection), view(view) {
        upload();
    }
    void upload() {
        const mat4 block[3] = {projection, view, mat4(1.0f)};
        matrices = makeUniformBuffer(sizeof(block), 1, block);
    }
    ~LookCamera() { glDeleteBuffers(1, &matrices); }

    RgbImage render(Look& look, const aiScene* scene, const char* saveAs = nullptr) {
        // Several cameras may live at once.
        glBindBufferBase(GL_UNIFORM_BUFFER, 1, matrices);
        target.bind();
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        look.drawBackground();
        std::vector<aiNode*> nodes;
        collect(scene->mRootNode, nodes);
        look.surfaces().draw(nodes);
        RgbImage image = target.image();
        if (saveAs) image.savePng(std::string(QUESSEL_TEST_BIN_DIR) + "/look-" + saveAs + ".png");
        return image;
    }

    // The world direction through the centre of pixel (x, y), rows from the bottom.
    vec3 ray(int x, int y) const {
        const vec4 clip((x + 0.5f) / Size * 2.0f - 1.0f, (y + 0.5f) / Size * 2.0f - 1.0f, 1.0f, 1.0f);
        const vec4 seen = glm::inverse(projection) * clip;
        return glm::normalize(vec3(glm::inverse(view) * vec4(vec3(seen) / seen.w, 0.0f)));
    }

    static void collect(aiNode* node, std::vector<aiNode*>& nodes) {
        nodes.push_back(node);
        for (unsigned i = 0; i < node->mNumChildren; ++i) collect(node->mChildren[i], nodes);
    }
};

vec3 pixel(const RgbImage& image, int x, int y) {
    const unsigned char* p = &image.pixels[3 * (static_cast<size_t>(y) * image.width + x)];
    return {p[0], p[1], p[2]};
}

std::unique_ptr<Look> makeLook(const aiScene* scene, const IEnvironment& environment, const char* background = "sky",
                               bool keyLight = true) {
    Look::Settings settings;
    settings.keyLight = keyLight;
    std::string error;
    settings.background = *BackgroundChoice::parse(background, error);
    std::unique_ptr<Look> look = Look::create(scene, ImageSearch(), environment, settings, error);
    EXPECT_TRUE(look) << error;
    return look;
}

void expectPixel(const vec3& actual, const vec3& expected, float tolerance, const std::string& where) {
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(actual[c], expected[c], tolerance) << where << " channel " << c;
}

// Where the ray from `eye` along `d` meets the sphere of `radius` around the origin.
bool hitSphere(const vec3& eye, const vec3& d, float radius, vec3& hit) {
    const float b = glm::dot(eye, d);
    const float c = glm::dot(eye, eye) - radius * radius;
    const float disc = b * b - c;
    if (disc < 0.0f) return false;
    hit = eye + d * (-b - std::sqrt(disc));
    return true;
}

// A cube-map face's camera needs no scene.
class NoSceneForFaces : public IScene {
public:
    std::vector<SceneryObject*> getObjects(ObjectKind) override { return {}; }
    std::vector<aiNode*> getNodes(ObjectKind) override { return {}; }
    IRender* getRender() override { return nullptr; }
};

}  // namespace

using LookGl = GlTest;

TEST_F(LookGl, BlocksMatchTheirMirrors) {
    LookPrograms programs;
    std::string log;
    ASSERT_TRUE(programs.build("Shader/Look", log)) << log;
    const std::tuple<GLuint, const char*, GLint> blocks[] = {
        {programs.surface, "SurfaceMaterial", sizeof(SurfaceMaterialBlock)},
        {programs.surface, "Lighting", sizeof(LightingBlock)},
        {programs.background, "Lighting", sizeof(LightingBlock)}};
    for (const auto& [program, name, size] : blocks) {
        const GLuint index = glGetUniformBlockIndex(program, name);
        ASSERT_NE(index, GL_INVALID_INDEX) << name;
        GLint actual = 0;
        glGetActiveUniformBlockiv(program, index, GL_UNIFORM_BLOCK_DATA_SIZE, &actual);
        EXPECT_EQ(actual, size) << name;
        GLint binding = 0;
        glGetActiveUniformBlockiv(program, index, GL_UNIFORM_BLOCK_BINDING, &binding);
        EXPECT_EQ(binding, std::string(name) == "Lighting" ? BlockBinding::Lighting : BlockBinding::SurfaceMaterial);
    }
    const std::pair<const char*, size_t> members[] = {
        {"SurfaceMaterial.metallic", offsetof(SurfaceMaterialBlock, metallic)},
        {"SurfaceMaterial.alphaMode", offsetof(SurfaceMaterialBlock, alpha)},
        {"SurfaceMaterial.flags", offsetof(SurfaceMaterialBlock, flags)},
        {"Lighting.lights[1].color", offsetof(LightingBlock, lights) + sizeof(LightingBlock::Light) +
                                         offsetof(LightingBlock::Light, color)},
        {"Lighting.lightCount", offsetof(LightingBlock, lightCount)},
        {"Lighting.exposure", offsetof(LightingBlock, exposure)}};
    for (const auto& [name, offset] : members) {
        GLuint index = GL_INVALID_INDEX;
        glGetUniformIndices(programs.surface, 1, &name, &index);
        ASSERT_NE(index, GL_INVALID_INDEX) << name;
        GLint actual = -1;
        glGetActiveUniformsiv(programs.surface, 1, &index, GL_UNIFORM_OFFSET, &actual);
        EXPECT_EQ(actual, static_cast<GLint>(offset)) << name;
    }
}

TEST_F(LookGl, InAnEvenSkyAWhiteSurfaceAndAMirrorTakeTheSkysColour) {
    // The furnace: whatever their roughness, a white dielectric and a white mirror under an
    // even sky reflect exactly that sky, so they vanish into the background.
    const vec3 sky(0.6f, 0.45f, 0.3f);
    const FunctionEnvironment even([&](const vec3&) { return sky; });
    const std::pair<float, float> materials[] = {{0.0f, 1.0f}, {0.0f, 0.4f}, {1.0f, 0.0f}};
    for (const auto& [metallic, roughness] : materials) {
        SCOPED_TRACE("metallic " + std::to_string(metallic) + " roughness " + std::to_string(roughness));
        const std::unique_ptr<aiScene> scene(readAs(makeScene({makeSphere(1.0f)}, {makePbrMaterial(aiColor4D(1, 1, 1, 1), metallic, roughness)},
                                                              makeNode("root", {}, {0})),
                                                    "glTF2 Importer"));
        std::unique_ptr<Look> look = makeLook(scene.get(), even, "sky", false);
        LookCamera camera({0.0f, 0.5f, 4.0f});
        const RgbImage image = camera.render(*look, scene.get(), metallic > 0.0f ? "furnace-mirror" : "furnace");
        const vec3 expected = glm::round(ToneCurve::display(sky));
        for (const auto& [x, y] : {std::pair{48, 48}, {40, 60}, {30, 40}, {5, 5}})
            expectPixel(pixel(image, x, y), expected, 2.0f, "pixel " + std::to_string(x) + ", " + std::to_string(y));
    }
}

TEST_F(LookGl, AMirrorShowsTheSkyUndistorted) {
    const auto sky = [](const vec3& d) { return vec3(0.5f) + 0.4f * d; };
    const FunctionEnvironment gradient(sky, 128);
    const std::unique_ptr<aiScene> scene(readAs(
        makeScene({makeSphere(1.0f)}, {makePbrMaterial(aiColor4D(1, 1, 1, 1), 1.0f, 0.0f)}, makeNode("root", {}, {0})),
        "glTF2 Importer"));
    std::unique_ptr<Look> look = makeLook(scene.get(), gradient, "sky", false);
    LookCamera camera({0.0f, 1.0f, 4.0f});
    const RgbImage image = camera.render(*look, scene.get(), "mirror");
    int mirrored = 0;
    for (int y = 8; y < Size; y += 11) {
        for (int x = 8; x < Size; x += 11) {
            const vec3 d = camera.ray(x, y);
            vec3 hit;
            vec3 seen = d;
            // Pixels at the rim mix the sphere and the sky.
            if (hitSphere(camera.eye, d, 1.0f, hit)) {
                if (glm::dot(-d, hit) < 0.3f) continue;
                seen = glm::reflect(d, glm::normalize(hit));
                ++mirrored;
            }
            expectPixel(pixel(image, x, y), ToneCurve::display(sky(seen)), 3.0f,
                        "pixel " + std::to_string(x) + ", " + std::to_string(y));
        }
    }
    EXPECT_GT(mirrored, 8);
}

TEST_F(LookGl, LightsLightAPlaneAsTheBrdfSays) {
    // Camera straight above the plane's centre, no environment: each light alone, its
    // irradiance from the file's units, reflected by GGX with Smith visibility and Schlick's
    // Fresnel plus the diffuse rest.
    const FunctionEnvironment dark([](const vec3&) { return vec3(0.0f); });
    const vec3 base(0.8f, 0.5f, 0.3f);
    const float roughness = 0.5f;
    struct Row {
        const char* label;
        aiLightSourceType type;
        vec3 position;
        vec3 direction;
        float intensity;
        vec3 toLight;      // at the plane's centre
        float irradiance;  // facing the light there
    };
    const float s = std::sqrt(0.5f);
    const Row rows[] = {
        {"directional at 45 degrees", aiLightSource_DIRECTIONAL, {}, {-s, 0, -s}, 3.0f, {s, 0, s}, 3.0f},
        {"point at distance sqrt 2", aiLightSource_POINT, {1, 0, 1}, {}, 4.0f, {s, 0, s}, 2.0f},
        {"spot aimed at the centre", aiLightSource_SPOT, {0, 1, 1}, {0, -s, -s}, 6.0f, {0, s, s}, 3.0f},
        {"spot aimed away", aiLightSource_SPOT, {0, 1, 1}, {0, s, s}, 6.0f, {0, s, s}, 0.0f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        aiScene* raw = makeScene({makeQuad(-2, -2, 2, 2, 0)},
                                 {makePbrMaterial(aiColor4D(base.x, base.y, base.z, 1), 0.0f, roughness)},
                                 makeNode("root", {makeNode("lamp")}, {0}));
        raw->mNumLights = 1;
        raw->mLights = new aiLight*[1];
        aiLight* light = raw->mLights[0] = new aiLight();
        light->mName = "lamp";
        light->mType = row.type;
        light->mPosition = aiVector3D(row.position.x, row.position.y, row.position.z);
        light->mDirection = aiVector3D(row.direction.x, row.direction.y, row.direction.z);
        light->mColorDiffuse = aiColor3D(row.intensity, row.intensity, row.intensity);
        light->mAttenuationConstant = 0.0f;
        light->mAttenuationLinear = 0.0f;
        light->mAttenuationQuadratic = row.type == aiLightSource_DIRECTIONAL ? 0.0f : 1.0f;
        light->mAngleInnerCone = 0.3f;
        light->mAngleOuterCone = 0.5f;
        const std::unique_ptr<aiScene> scene(readAs(raw, "glTF2 Importer"));
        std::unique_ptr<Look> look = makeLook(scene.get(), dark, "#000000");
        LookCamera camera({0.0f, 0.0f, 3.0f});
        const RgbImage image = camera.render(*look, scene.get());

        const vec3 n(0, 0, 1);
        const vec3 v(0, 0, 1);
        const vec3 l = row.toLight;
        const vec3 h = glm::normalize(l + v);
        const float alpha = roughness * roughness;
        const float a2 = alpha * alpha;
        const float nh = glm::dot(n, h);
        const float distribution = a2 / (Pi * std::pow(nh * nh * (a2 - 1.0f) + 1.0f, 2.0f));
        const float nl = glm::dot(n, l);
        const float nv = 1.0f;
        const float visibility =
            0.5f / (nl * std::sqrt(nv * nv * (1 - a2) + a2) + nv * std::sqrt(nl * nl * (1 - a2) + a2));
        const float fresnel = 0.04f + 0.96f * std::pow(1.0f - glm::dot(v, h), 5.0f);
        const vec3 reflected = ((1.0f - fresnel) * base / Pi + vec3(fresnel * distribution * visibility)) *
                               row.irradiance * nl;
        expectPixel(pixel(image, 48, 48) * 0.5f + pixel(image, 47, 47) * 0.5f, ToneCurve::display(reflected), 2.0f,
                    "centre");
    }
}

TEST_F(LookGl, MaskedTexelsAreCutAndBlendedMeshesDrawnFarthestFirst) {
    // Unlit colours (emissive on black, nothing to reflect) over a plain grey background. A
    // masked quad whose alpha runs from 0 (left) to 1 (right), cut at one half; two blended
    // quads, the nearer listed first.
    const FunctionEnvironment dark([](const vec3&) { return vec3(0.0f); });
    aiMaterial* masked = makePbrMaterial(aiColor4D(0, 0, 0, 1), 0.0f, 1.0f, "MASK", aiColor3D(0, 1, 0));
    const float cutoff = 0.5f;
    masked->AddProperty(&cutoff, 1, AI_MATKEY_GLTF_ALPHACUTOFF);
    const std::unique_ptr<aiScene> scene(readAs(
        makeScene({makeQuad(-1.4f, -1.4f, -0.2f, -0.2f, 0.0f, 0, {aiColor4D(1, 1, 1, 0), aiColor4D(1, 1, 1, 1)}),
                   makeQuad(-0.5f, 0.0f, 1.0f, 1.0f, 0.5f, 1), makeQuad(0.0f, 0.0f, 1.5f, 1.0f, -0.5f, 2)},
                  {masked, makePbrMaterial(aiColor4D(0, 0, 0, 0.5f), 0.0f, 1.0f, "BLEND", aiColor3D(1, 0, 0)),
                   makePbrMaterial(aiColor4D(0, 0, 0, 0.5f), 0.0f, 1.0f, "BLEND", aiColor3D(0, 0, 1))},
                  makeNode("root", {makeNode("mask", {}, {0}), makeNode("near", {}, {1}), makeNode("far", {}, {2})})),
        "glTF2 Importer"));
    std::unique_ptr<Look> look = makeLook(scene.get(), dark, "#808080", false);
    LookCamera camera({0.0f, 0.0f, 5.0f});
    const RgbImage image = camera.render(*look, scene.get(), "alpha");
    const vec3 grey(128.0f);
    const vec3 red = ToneCurve::display({1, 0, 0});
    const vec3 blue = ToneCurve::display({0, 0, 1});
    expectPixel(pixel(image, 20, 25), grey, 1.0f, "masked away");
    expectPixel(pixel(image, 38, 25), ToneCurve::display({0, 1, 0}), 2.0f, "kept");
    EXPECT_EQ(look->drawer().lastOrder(), (std::vector<unsigned>{0, 2, 1}));
    expectPixel(pixel(image, 55, 58), red * 0.5f + blue * 0.25f + grey * 0.25f, 3.0f, "red over blue over grey");
}

TEST_F(LookGl, BlackAndWhiteStandApartFromTheGreyBackground) {
    const StudioEnvironment studio;
    const std::unique_ptr<aiScene> scene(readAs(
        makeScene({makeSphere(0.8f, {-1, 0, 0}, 0), makeSphere(0.8f, {1, 0, 0}, 1)},
                  {makePbrMaterial(aiColor4D(0, 0, 0, 1), 0.0f, 0.5f), makePbrMaterial(aiColor4D(1, 1, 1, 1), 0.0f, 0.5f)},
                  makeNode("root", {}, {0, 1})),
        "glTF2 Importer"));
    std::unique_ptr<Look> look = makeLook(scene.get(), studio, "grey");
    LookCamera camera({0.0f, 0.5f, 6.0f});
    const RgbImage image = camera.render(*look, scene.get(), "black-white");
    const auto luminance = [&](int x, int y) {
        const vec3 p = pixel(image, x, y);
        return 0.2126f * p.x + 0.7152f * p.y + 0.0722f * p.z;
    };
    const float background = luminance(48, 90);
    EXPECT_NEAR(background, 128.0f, 1.0f);
    EXPECT_LT(luminance(30, 48), background - 60.0f) << "black";
    EXPECT_GT(luminance(66, 48), background + 60.0f) << "white";
}

TEST_F(LookGl, APlyWithoutMaterialIsGreyAndShaded) {
    const ScratchDir dir;
    writeText(dir.file("cube.ply"),
              "ply\nformat ascii 1.0\nelement vertex 8\nproperty float x\nproperty float y\nproperty float z\n"
              "element face 6\nproperty list uchar int vertex_indices\nend_header\n"
              "-1 -1 -1\n1 -1 -1\n1 1 -1\n-1 1 -1\n-1 -1 1\n1 -1 1\n1 1 1\n-1 1 1\n"
              "4 0 3 2 1\n4 4 5 6 7\n4 0 1 5 4\n4 2 3 7 6\n4 1 2 6 5\n4 0 4 7 3\n");
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(dir.file("cube.ply"), aiProcessPreset_TargetRealtime_Quality);
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    std::unique_ptr<Look> look = makeLook(scene, StudioEnvironment(), "#000000");
    EXPECT_TRUE(look->drawer().materials().front().neutral);
    LookCamera camera({3.0f, 2.5f, 4.0f});
    const RgbImage image = camera.render(*look, scene, "ply");
    float darkest = 255.0f;
    float brightest = 0.0f;
    for (const auto& [x, y] : {std::pair{48, 60}, {35, 40}, {60, 40}, {48, 30}}) {
        const vec3 p = pixel(image, x, y);
        EXPECT_LT(std::max(std::abs(p.x - p.y), std::abs(p.y - p.z)), 3.0f) << "grey at " << x << ", " << y;
        EXPECT_GT(p.y, 40.0f) << "lit at " << x << ", " << y;
        EXPECT_LT(p.y, 235.0f) << "not white at " << x << ", " << y;
        darkest = std::min(darkest, p.y);
        brightest = std::max(brightest, p.y);
    }
    EXPECT_GT(brightest - darkest, 20.0f) << "shaded";
}

namespace {

// A small image file of one colour.
std::string writeImage(const ScratchDir& dir, const char* name, unsigned char r, unsigned char g, unsigned char b) {
    RgbImage image;
    image.width = 4;
    image.height = 4;
    for (int i = 0; i < 16; ++i) image.pixels.insert(image.pixels.end(), {r, g, b});
    image.savePng(dir.file(name));
    return dir.file(name);
}

// A scene of one quad facing the camera, with the light (if any) given.
aiScene* quadScene(aiMaterial* material, aiLight* light = nullptr, bool tangents = false) {
    aiMesh* quad = makeQuad(-2, -2, 2, 2, 0);
    if (tangents) {
        quad->mTangents = new aiVector3D[4]{{1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}};
        quad->mBitangents = new aiVector3D[4]{{0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}};
    }
    aiScene* scene = makeScene({quad}, {material}, makeNode("root", {makeNode("lamp")}, {0}));
    if (light) {
        light->mName = "lamp";
        scene->mNumLights = 1;
        scene->mLights = new aiLight*[1]{light};
    }
    return readAs(scene, "glTF2 Importer");
}

}  // namespace

TEST_F(LookGl, ColourTexturesDecodeFromSrgb) {
    const ScratchDir dir;
    const std::string file = writeImage(dir, "glow.png", 188, 94, 47);
    const std::unique_ptr<aiScene> scene(
        quadScene(makePbrMaterial(aiColor4D(0, 0, 0, 1), 0.0f, 1.0f, "OPAQUE", aiColor3D(1, 1, 1), file.c_str())));
    std::unique_ptr<Look> look = makeLook(scene.get(), FunctionEnvironment([](const vec3&) { return vec3(0.0f); }),
                                          "#000000", false);
    LookCamera camera({0.0f, 0.0f, 3.0f});
    const vec3 linear(ToneCurve::decodeSrgb(188 / 255.0f), ToneCurve::decodeSrgb(94 / 255.0f),
                      ToneCurve::decodeSrgb(47 / 255.0f));
    expectPixel(pixel(camera.render(*look, scene.get()), 48, 48), ToneCurve::display(linear), 2.0f, "centre");
}

TEST_F(LookGl, NormalMapsBendWithTheMeshsTangentsOrWithout) {
    // The map tilts every normal 45 degrees towards +u (+x here); the light grazes from +x.
    const ScratchDir dir;
    const std::string file = writeImage(dir, "tilt.png", 218, 128, 218);
    const FunctionEnvironment dark([](const vec3&) { return vec3(0.0f); });
    std::vector<float> shades;
    for (const auto& [mapped, tangents] : {std::pair{false, false}, {true, true}, {true, false}}) {
        aiMaterial* material = makePbrMaterial(aiColor4D(1, 1, 1, 1), 0.0f, 1.0f);
        if (mapped) {
            const aiString path(file);
            material->AddProperty(&path, AI_MATKEY_TEXTURE(aiTextureType_NORMALS, 0));
        }
        aiLight* light = new aiLight();
        light->mType = aiLightSource_DIRECTIONAL;
        light->mDirection = aiVector3D(-1, 0, -0.02f);
        light->mColorDiffuse = aiColor3D(3, 3, 3);
        const std::unique_ptr<aiScene> scene(quadScene(material, light, tangents));
        std::unique_ptr<Look> look = makeLook(scene.get(), dark, "#000000");
        LookCamera camera({0.0f, 0.0f, 3.0f});
        shades.push_back(pixel(camera.render(*look, scene.get()), 48, 48).x);
    }
    EXPECT_LT(shades[0], 40.0f) << "unmapped, grazed";
    EXPECT_GT(shades[1], shades[0] + 80.0f) << "mapped with tangents";
    EXPECT_NEAR(shades[2], shades[1], 3.0f) << "mapped with a frame from the derivatives";
}

TEST_F(LookGl, TheKeyLightCirclesASceneWithoutLights) {
    const std::unique_ptr<aiScene> scene(readAs(
        makeScene({makeSphere(1.0f)}, {makePbrMaterial(aiColor4D(1, 1, 1, 1), 0.0f, 1.0f)}, makeNode("root", {}, {0})),
        "glTF2 Importer"));
    std::unique_ptr<Look> look = makeLook(scene.get(), FunctionEnvironment([](const vec3&) { return vec3(0.0f); }));
    EXPECT_FALSE(look->hasSceneLights());
    LookCamera camera({0.0f, 0.0f, 4.0f});
    const float facing = pixel(camera.render(*look, scene.get()), 48, 48).x;
    look->setKeyLight(Pi);
    const float behind = pixel(camera.render(*look, scene.get()), 48, 48).x;
    EXPECT_GT(facing, 100.0f);
    EXPECT_LT(behind, 5.0f);
}

TEST_F(LookGl, ALookThatCannotBeMadeSaysWhy) {
    const std::unique_ptr<aiScene> scene(readAs(
        makeScene({makeSphere(1.0f)}, {makePbrMaterial(aiColor4D(1, 1, 1, 1), 0.0f, 1.0f)}, makeNode("root", {}, {0})),
        "glTF2 Importer"));
    Look::Settings noShaders;
    noShaders.shaderFolder = "nowhere";
    Look::Settings noSky;
    noSky.environment = "missing-sky.hdr";
    for (const auto& [settings, named] : {std::pair{noShaders, "nowhere/surface.vert"}, {noSky, "missing-sky.hdr"}}) {
        std::string error;
        EXPECT_FALSE(Look::create(scene.get(), ImageSearch(), settings, error));
        EXPECT_NE(error.find(named), std::string::npos) << error;
    }
}

TEST_F(LookGl, EachViewDrawsOnlyWhatItSeesAndThePicturesStayTheSame) {
    // A sphere of 160,000 triangles (in chunks) around the origin; before it a sphere whose
    // node carries it from far off the view into it, and a blended quad; one small sphere
    // behind the big one, one beside the view, one behind the eye.
    const StudioEnvironment studio;
    const auto scene = [] {
        aiNode* carried = makeNode("carried", {}, {1});
        carried->mTransformation = translation(-9.6f, 0.4f, 3.0f);
        aiNode* root = makeNode("root", {carried, makeNode("big", {}, {0}), makeNode("quad", {}, {2}),
                                         makeNode("hidden", {}, {3}), makeNode("beside", {}, {4}),
                                         makeNode("behind", {}, {5})});
        return std::unique_ptr<aiScene>(readAs(
            makeScene({makeSphere(2.0f, vec3(0.0f), 0, 200, 400), makeSphere(0.15f, {10, 0, 0}, 1),
                       makeQuad(0.2f, -0.6f, 0.8f, -0.2f, 3.0f, 2), makeSphere(0.5f, {0, 0, -10}, 1),
                       makeSphere(0.5f, {10, 0, 0}, 1), makeSphere(0.5f, {0, 0, 20}, 1)},
                      {makePbrMaterial(aiColor4D(0.9f, 0.9f, 0.9f, 1), 0.0f, 0.5f),
                       makePbrMaterial(aiColor4D(0.8f, 0.1f, 0.1f, 1), 0.0f, 0.3f),
                       makePbrMaterial(aiColor4D(0.1f, 0.2f, 0.9f, 0.5f), 0.0f, 0.4f, "BLEND")},
                      root),
            "glTF2 Importer"));
    }();
    std::unique_ptr<Look> culled = makeLook(scene.get(), studio, "#000000");
    Look::Settings settings;
    settings.culling = false;
    std::string error;
    settings.background = *BackgroundChoice::parse("#000000", error);
    std::unique_ptr<Look> whole = Look::create(scene.get(), ImageSearch(), studio, settings, error);
    ASSERT_TRUE(whole) << error;

    struct View {
        std::string name;
        std::unique_ptr<LookCamera> camera;
        unsigned long long parts, drawn;  // 0 0: only fewer than all
    };
    std::vector<View> views;
    views.push_back({"front", std::make_unique<LookCamera>(vec3(0.0f, 0.0f, 6.0f)), 9, 7});
    NoSceneForFaces noScene;
    TextureBoxRenderer faces(0, 0, 0, 0, 0, &noScene, nullptr, {});
    for (int face = 0; face < 6; ++face)
        views.push_back({"face " + std::to_string(face),
                         std::make_unique<LookCamera>(faces.faceProjection(), TextureBoxRenderer::faceView(face) *
                                                                                  glm::translate(mat4(1.0f), vec3(0.3f, 0.2f, 0.1f))),
                         0, 0});
    for (const View& view : views) {
        SCOPED_TRACE(view.name);
        const RgbImage seen = view.camera->render(*culled, scene.get(), ("culled-" + view.name).c_str());
        const DrawStats& kept = culled->drawer().lastDraw();
        const RgbImage all = view.camera->render(*whole, scene.get());
        const DrawStats& every = whole->drawer().lastDraw();
        EXPECT_EQ(ImageDifference::between(seen, all).maximum, 0) << "culling changed the picture";
        EXPECT_EQ(kept.views, 1u);
        EXPECT_EQ(every.drawn, every.parts);
        EXPECT_EQ(kept.parts, every.parts);
        if (view.parts) {
            EXPECT_EQ(kept.parts, view.parts);
            EXPECT_EQ(kept.drawn, view.drawn);
        } else {
            EXPECT_LT(kept.drawn, kept.parts) << "a face inside the big sphere drew every chunk of it";
        }
    }
    EXPECT_EQ(culled->drawer().total().views, views.size());
    EXPECT_GT(culled->drawer().total().parts, 6u * views.size());

    // The chunks together are the whole sphere: from the front, lit wherever its outline
    // lies, black around it.
    LookCamera& front = *views.front().camera;
    const RgbImage image = front.render(*culled, scene.get());
    int wrong = 0;
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            vec3 hit;
            const bool inside = hitSphere(front.eye, front.ray(x, y), 1.97f, hit);
            const bool outside = !hitSphere(front.eye, front.ray(x, y), 2.03f, hit);
            const float brightness = glm::dot(pixel(image, x, y), vec3(1.0f));
            if ((inside && brightness < 30.0f) || (outside && brightness > 0.0f)) ++wrong;
        }
    EXPECT_EQ(wrong, 0) << "pixels wrong about the big sphere's outline";
}
