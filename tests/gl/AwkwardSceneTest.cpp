// The awkward test scene (rotated, scaled and mirrored nodes, spheres of any radius, an
// open plane) drawn with the demo's programs and checked against what optics says: where
// a stretched egg is brightest, which way light leaves a glass sphere, how wide a
// highlight is, how an open plane and a mirrored normal-mapped panel are lit.
#include "GlTestContext.h"
#include "GlTestHelpers.h"

#include "core/GlConstants.h"
#include "envmap/SphereBlock.h"
#include "scene/Importer.h"
#include "scene/LightRecord.h"
#include "scene/MaterialBlock.h"
#include "scene/ShaderRegistry.h"

#include <assimp/scene.h>
#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace Quessel;
using namespace Quessel::Test;
using glm::mat3;
using glm::vec2;

namespace {

constexpr int Size = 256;
constexpr float Pi = 3.14159265f;

float degreesBetween(const vec3& a, const vec3& b) {
    const float c = glm::dot(glm::normalize(a), glm::normalize(b));
    return std::acos(std::clamp(c, -1.0f, 1.0f)) * 180.0f / Pi;
}

// Snell's law for a unit direction crossing a surface with unit normal n facing it, from
// index n1 into index n2; no result under total internal reflection.
bool snell(const vec3& direction, const vec3& n, float n1, float n2, vec3& out) {
    const float cosIn = -glm::dot(direction, n);
    const float ratio = n1 / n2;
    const float sin2Out = ratio * ratio * (1.0f - cosIn * cosIn);
    if (sin2Out > 1.0f) return false;
    out = glm::normalize(ratio * direction + (ratio * cosIn - std::sqrt(1.0f - sin2Out)) * n);
    return true;
}

// Ray parameters where origin + t * direction meets the unit sphere at the origin.
bool unitSphereHits(const vec3& origin, const vec3& direction, float& near, float& far) {
    const float a = glm::dot(direction, direction), b = glm::dot(origin, direction);
    const float c = glm::dot(origin, origin) - 1.0f;
    const float disc = b * b - a * c;
    if (disc < 0.0f) return false;
    near = (-b - std::sqrt(disc)) / a;
    far = (-b + std::sqrt(disc)) / a;
    return true;
}

// The way a ray leaves a glass body that is the unit sphere under the affine map
// (linear, centre): intersections in the sphere's frame, Snell's law in the world's.
bool throughGlass(const mat3& linear, const vec3& centre, const vec3& eye, const vec3& direction, float index,
                  vec3& out) {
    const mat3 toUnit = glm::inverse(linear);
    const mat3 normals = glm::transpose(toUnit);
    float near = 0, far = 0;
    if (!unitSphereHits(toUnit * (eye - centre), toUnit * direction, near, far)) return false;
    const vec3 entry = toUnit * (eye - centre + direction * near);
    vec3 inside;
    if (!snell(direction, glm::normalize(normals * entry), 1.0f, index, inside)) return false;
    const vec3 insideUnit = toUnit * inside;
    if (!unitSphereHits(entry, insideUnit, near, far)) return false;
    const vec3 exit = entry + insideUnit * far;
    return snell(inside, -glm::normalize(normals * exit), index, 1.0f, out);
}

// Colour of a pixel, and whether anything was drawn there (the target is cleared transparent).
vec3 colourAt(const Texels& image, int x, int y) {
    const Rgba& p = image.at(x, y);
    return vec3(p[0], p[1], p[2]) / 255.0f;
}
bool covered(const Texels& image, int x, int y) { return image.at(x, y)[3] > 0; }

// A cube map whose every texel holds its own direction as colour (d * 0.5 + 0.5), or black.
GLuint directionCubeMap(bool directions) {
    constexpr int N = 128;
    return makeCubeMap(N, [directions](int face, int x, int y) {
        const float s = (x + 0.5f) / N * 2.0f - 1.0f, t = (y + 0.5f) / N * 2.0f - 1.0f;
        // The cube-map face orientations of OpenGL, read backwards.
        const vec3 faceDirections[6] = {{1, -t, -s}, {-1, -t, s}, {s, 1, t}, {s, -1, -t}, {s, -t, 1}, {-s, -t, -1}};
        const vec3 colour = directions ? glm::normalize(faceDirections[face]) * 0.5f + 0.5f : vec3(0.0f);
        Rgba texel{0, 0, 0, 255};
        for (int c = 0; c < 3; ++c) texel[c] = static_cast<unsigned char>(std::lround(colour[c] * 255.0f));
        return texel;
    });
}

// The awkward scene imported once for all tests, with the buffers the programs read.
struct AwkwardWorld {
    Importer importer;
    GLuint lightBuffer = 0;
    RenderTarget target{Size, Size};
    GLuint directionCube = 0, blackCube = 0;
    bool loaded = false;

    AwkwardWorld() {
        importer.registry->use("test");
        loaded = importer.loadScene(QUESSEL_AWKWARD_SCENE);
        if (!loaded) return;
        importer.loadTextures();
        importer.buildMeshes(importer.scene);
        importer.matricesBuffer = makeUniformBuffer(BlockSize::Matrices, BlockBinding::Matrices);
        importer.previousMatricesBuffer = makeUniformBuffer(BlockSize::Matrices, BlockBinding::PreviousMatrices);
        importer.sphereBuffer = makeUniformBuffer(BlockSize::Sphere, BlockBinding::Sphere);
        lightBuffer = makeUniformBuffer(BlockSize::PointLight, BlockBinding::PointLight);
        importer.model = mat4(1.0f);
        directionCube = directionCubeMap(true);
        blackCube = directionCubeMap(false);
    }

    aiNode* node(const char* name) const { return importer.scene->mRootNode->FindNode(name); }

    const aiMesh* meshOf(const aiNode* node) const { return importer.scene->mMeshes[node->mMeshes[0]]; }

    // How far the node's first mesh reaches from the node's origin.
    float meshRadius(const aiNode* node) const {
        const aiMesh* mesh = meshOf(node);
        float radius = 0.0f;
        for (unsigned i = 0; i < mesh->mNumVertices; ++i) radius = std::max(radius, mesh->mVertices[i].Length());
        return radius;
    }

    // The node's transform to the world, as the walk from the root builds it.
    mat4 global(const aiNode* node) const {
        mat4 m(1.0f);
        for (; node; node = node->mParent) m = glm::transpose(glm::make_mat4(&node->mTransformation.a1)) * m;
        return m;
    }

    // A light far along `direction` that does not fade with distance; none for a zero direction.
    void distantLight(const vec3& direction) {
        LightRecord record;  // intensity 0
        if (direction != vec3(0.0f)) {
            const vec3 far = glm::normalize(direction) * 1.0e5f;
            std::memcpy(record.position, glm::value_ptr(far), sizeof(record.position));
            std::fill(record.ones, record.ones + 4, 1.0f);
        }
        glBindBuffer(GL_UNIFORM_BUFFER, lightBuffer);
        glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof(record), &record);
        glBindBuffer(GL_UNIFORM_BUFFER, 0);
    }

    // Replaces the material of every mesh of `node`.
    void setMaterial(const aiNode* node, const MaterialBlock& block) {
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            glBindBuffer(GL_UNIFORM_BUFFER, importer.meshes[node->mMeshes[i]].materialBuffer);
            glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof(block), &block);
        }
        glBindBuffer(GL_UNIFORM_BUFFER, 0);
    }

    // Draws the node alone with `program` into the 256 x 256 target, cleared transparent.
    Texels render(const char* program, aiNode* node, const mat4& view, const mat4& projection,
                  const vec3& cameraPosition) {
        target.bind();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glDisable(GL_BLEND);
        importer.registry->use(program);
        const GLuint name = importer.registry->current->program;
        glUniform3fv(glGetUniformLocation(name, "cameraPosition"), 1, glm::value_ptr(cameraPosition));
        glUniform3fv(glGetUniformLocation(name, "cameraDirection"), 1, glm::value_ptr(-vec3(glm::transpose(view)[2])));
        glBindBuffer(GL_UNIFORM_BUFFER, importer.matricesBuffer);
        glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof(mat4), glm::value_ptr(projection));
        glBufferSubData(GL_UNIFORM_BUFFER, 64, sizeof(mat4), glm::value_ptr(view));
        glBindBuffer(GL_UNIFORM_BUFFER, 0);
        importer.draw({node});
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return readTexels(target.color);
    }
};

AwkwardWorld& world() {
    standardPrograms();  // before the importer, which would build them
    static AwkwardWorld* shared = new AwkwardWorld();
    return *shared;
}

// Window position of a world point.
vec2 pixelOf(const vec3& point, const mat4& view, const mat4& projection) {
    const vec4 clip = projection * view * vec4(point, 1.0f);
    return (vec2(clip) / clip.w * 0.5f + 0.5f) * static_cast<float>(Size);
}

// The world ray through the centre of pixel (x, y).
void rayThrough(int x, int y, const mat4& view, const mat4& projection, vec3& origin, vec3& direction) {
    const mat4 inverse = glm::inverse(projection * view);
    const vec2 ndc = (vec2(x, y) + 0.5f) / static_cast<float>(Size) * 2.0f - 1.0f;
    const vec4 nearPoint = inverse * vec4(ndc, -1.0f, 1.0f), farPoint = inverse * vec4(ndc, 1.0f, 1.0f);
    origin = vec3(nearPoint) / nearPoint.w;
    direction = glm::normalize(vec3(farPoint) / farPoint.w - origin);
}

class AwkwardScene : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        ASSERT_TRUE(world().loaded) << QUESSEL_AWKWARD_SCENE;
        glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
        // A black environment: only the light shows on the scene program's surfaces.
        glActiveTexture(GL_TEXTURE0 + TextureUnit::CubeMap);
        glBindTexture(GL_TEXTURE_CUBE_MAP, world().blackCube);
    }

    const mat4 projection = glm::perspective(0.9f, 1.0f, 0.5f, 100.0f);

    // Looks at `node` through glass from `eye`: the colour of every pixel the body covers
    // well inside its outline decodes to the direction the ray leaves in, which must be the
    // one Snell's law gives for glass of index 1.52.
    void expectRefractionFollowsSnell(const char* nodeName, const vec3& eyeOffset) {
        AwkwardWorld& w = world();
        aiNode* node = w.node(nodeName);
        ASSERT_NE(node, nullptr) << nodeName;
        const mat4 model = w.global(node);
        const vec3 centre(model[3]);
        // The body is the unit sphere scaled by the mesh's radius, then by the node.
        const mat3 linear = mat3(model) * w.meshRadius(node);
        const vec3 eye = centre + eyeOffset;
        const mat4 view = glm::lookAt(eye, centre, vec3(0, 1, 0));
        writeSphereBlock(w.importer.sphereBuffer, centre);
        w.distantLight(vec3(0.0f));
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, w.directionCube);
        const Texels image = w.render("refract", node, view, projection, eye);

        int checked = 0, bent = 0;
        float worst = 0.0f;
        for (int y = 6; y < Size; y += 12)
            for (int x = 6; x < Size; x += 12) {
                vec3 origin, direction, expected;
                rayThrough(x, y, view, projection, origin, direction);
                // Keep to rays that meet the body well inside its outline, where the faceted
                // mesh and the true surface agree.
                float near = 0, far = 0;
                const mat3 toUnit = glm::inverse(linear);
                const vec3 o = toUnit * (origin - centre), d = toUnit * direction;
                if (!unitSphereHits(o, d, near, far)) continue;
                const vec3 closest = o + d * (-glm::dot(o, d) / glm::dot(d, d));
                if (glm::length(closest) > 0.8f) continue;
                ASSERT_TRUE(covered(image, x, y)) << x << ", " << y;
                // Red, green and blue see indices 0.01 apart. Leave out rays that an ellipsoid
                // traps by total internal reflection or that pass so close to it that the
                // three colours part: their colour names no single direction.
                vec3 red, blue;
                if (!throughGlass(linear, centre, origin, direction, 1.52f, expected) ||
                    !throughGlass(linear, centre, origin, direction, 1.51f, red) ||
                    !throughGlass(linear, centre, origin, direction, 1.53f, blue) || degreesBetween(red, blue) > 2.0f)
                    continue;
                const vec3 seen = colourAt(image, x, y) * 2.0f - 1.0f;
                const float error = degreesBetween(seen, expected);
                worst = std::max(worst, error);
                EXPECT_LT(error, 6.0f) << nodeName << " pixel " << x << ", " << y << ": seen " << seen.x << ", "
                                       << seen.y << ", " << seen.z << " expected " << expected.x << ", " << expected.y
                                       << ", " << expected.z;
                ++checked;
                bent += degreesBetween(expected, direction) > 15.0f;
            }
        // Enough rays, and among them many that glass turns by tens of degrees.
        EXPECT_GE(checked, 40) << nodeName;
        EXPECT_GE(bent, 15) << nodeName;
        std::printf("%s: %d rays, %d bent by over 15 degrees, worst error %.2f degrees\n", nodeName, checked, bent,
                    worst);
    }
};

}  // namespace

TEST_F(AwkwardScene, GlassOfAnyRadiusOrStretchBendsLightAsSnellsLawSays) {
    // A radius-2 mesh on an unscaled node, and a unit mesh stretched to twice its length
    // along a tilted axis.
    expectRefractionFollowsSnell("Sphere_002", vec3(1.5f, 2.0f, 7.0f));
    expectRefractionFollowsSnell("GlassEgg", vec3(6.0f, 2.0f, -1.0f));
}

TEST_F(AwkwardScene, StretchedEggIsBrightestWhereItsTrueNormalFacesTheLight) {
    AwkwardWorld& w = world();
    aiNode* egg = w.node("Egg");
    ASSERT_NE(egg, nullptr);
    const mat4 model = w.global(egg);
    const mat3 linear(model);
    const vec3 centre(model[3]);
    // A glossy material, so the peak is sharp; a black environment.
    // Dim enough that the peak never saturates.
    MaterialBlock glossy;
    std::fill(glossy.diffuse, glossy.diffuse + 3, 0.2f);
    std::fill(glossy.ambient, glossy.ambient + 3, 0.0f);
    std::fill(glossy.specular, glossy.specular + 3, 0.7f);
    glossy.shininess = 400.0f;
    w.setMaterial(egg, glossy);

    for (const vec3& toLight : {vec3(0.5f, 0.7f, 0.6f), vec3(-0.8f, 0.4f, 0.3f)}) {
        const vec3 l = glm::normalize(toLight);
        w.distantLight(l);
        // Looking along the light from far away (an orthographic view), the highlight sits
        // where the surface normal is the light direction: on the unit sphere that the node
        // stretches, at the point whose normal the inverse transpose turns into l.
        const mat4 view = glm::lookAt(centre + l * 20.0f, centre, vec3(0, 1, 0));
        const mat4 projection = glm::ortho(-4.0f, 4.0f, -4.0f, 4.0f, 1.0f, 40.0f);
        const Texels image = w.render("test", egg, view, projection, centre + l * 1.0e5f);
        const vec3 onSphere = glm::normalize(glm::transpose(linear) * l);
        const vec2 expected = pixelOf(centre + linear * onSphere, view, projection);

        float brightest = 0.0f;
        for (int y = 0; y < Size; ++y)
            for (int x = 0; x < Size; ++x) brightest = std::max(brightest, colourAt(image, x, y).r);
        vec2 sum(0.0f);
        int count = 0;
        for (int y = 0; y < Size; ++y)
            for (int x = 0; x < Size; ++x)
                if (colourAt(image, x, y).r >= brightest - 1.5f / 255.0f) {
                    sum += vec2(x + 0.5f, y + 0.5f);
                    ++count;
                }
        ASSERT_GT(count, 0);
        const vec2 peak = sum / static_cast<float>(count);
        EXPECT_LT(glm::length(peak - expected), 3.0f)
            << "light " << l.x << ", " << l.y << ", " << l.z << ": brightest at " << peak.x << ", " << peak.y
            << ", true normal faces the light at " << expected.x << ", " << expected.y;
    }
}

TEST_F(AwkwardScene, HighlightsKeepTheWidthOfTheTruePowerLobe) {
    // Lit and seen head-on from far away, on black, each pixel shows only the highlight
    // pow(n.h, e), with n.h = sqrt(1 - (rho / R)^2) at a distance rho from the centre. The
    // share of the sphere brighter than 5 % is then fixed; a rational stand-in with the
    // same exponent keeps a tail that makes it five to six times wider.
    struct Case {
        const char* program;
        const char* node;
        float exponent;
    };
    const Case cases[] = {{"reflect", "Sphere", 256.0f}, {"refract", "Sphere_002", 512.0f}, {"test", "Sphere", 128.0f}};
    constexpr float threshold = 0.05f;
    AwkwardWorld& w = world();
    MaterialBlock black;  // only the specular colour and the exponent are left
    std::fill(black.diffuse, black.diffuse + 3, 0.0f);
    std::fill(black.ambient, black.ambient + 3, 0.0f);
    std::fill(black.specular, black.specular + 3, 1.0f);
    black.shininess = 128.0f;  // the scene program's exponent above
    w.setMaterial(w.node("Sphere"), black);
    for (GLenum unit : {GLenum(GL_TEXTURE0), GLenum(GL_TEXTURE0 + TextureUnit::CubeMap)}) {
        glActiveTexture(unit);
        glBindTexture(GL_TEXTURE_CUBE_MAP, w.blackCube);
    }
    const vec3 l = glm::normalize(vec3(0.3f, 0.8f, 0.5f));
    w.distantLight(l);

    for (const Case& c : cases) {
        aiNode* node = w.node(c.node);
        ASSERT_NE(node, nullptr) << c.node;
        const vec3 centre(w.global(node)[3]);
        const float radius = w.meshRadius(node), half = 1.1f * radius;
        writeSphereBlock(w.importer.sphereBuffer, centre);
        const vec3 eye = centre + l * 1000.0f;
        const mat4 view = glm::lookAt(eye, centre, vec3(0, 1, 0));
        const mat4 projection = glm::ortho(-half, half, -half, half, 900.0f, 1100.0f);
        const Texels image = w.render(c.program, node, view, projection, eye);
        const vec2 middle = pixelOf(centre, view, projection);
        int bright = 0, expected = 0;
        for (int y = 0; y < Size; ++y)
            for (int x = 0; x < Size; ++x) {
                const float rho = glm::length(vec2(x + 0.5f, y + 0.5f) - middle) * 2.0f * half / Size / radius;
                if (!covered(image, x, y) || rho >= 1.0f) continue;
                bright += colourAt(image, x, y).r > threshold;
                expected += std::pow(1.0f - rho * rho, 0.5f * c.exponent) > threshold;
            }
        std::printf("%s: %d pixels above %.2f, the true lobe %d\n", c.program, bright, threshold, expected);
        ASSERT_GT(expected, 200) << c.program;
        EXPECT_NEAR(bright, expected, 0.1f * expected) << c.program << " on " << c.node;
    }
}

TEST_F(AwkwardScene, OpenPlaneIsDrawnAndLitFromBehindAsFromTheFront) {
    AwkwardWorld& w = world();
    aiNode* flag = w.node("Flag");
    ASSERT_NE(flag, nullptr);
    const mat4 model = w.global(flag);
    const vec3 centre(model[3]);
    const aiVector3D normal = w.meshOf(flag)->mNormals[0];
    const vec3 front = glm::normalize(glm::transpose(glm::inverse(mat3(model))) * vec3(normal.x, normal.y, normal.z));

    vec3 mean[2];
    for (int side = 0; side < 2; ++side) {
        // Eye and light on the same side, half way between straight on and grazing.
        const vec3 out = side == 0 ? front : -front;
        const vec3 eye = centre + glm::normalize(out + vec3(0.0f, 0.3f, 0.0f)) * 4.0f;
        w.distantLight(out + vec3(0.0f, 0.5f, 0.0f));
        const Texels image = w.render("test", flag, glm::lookAt(eye, centre, vec3(0, 1, 0)), projection, eye);
        int drawn = 0;
        mean[side] = vec3(0.0f);
        for (int y = 0; y < Size; ++y)
            for (int x = 0; x < Size; ++x)
                if (covered(image, x, y)) {
                    mean[side] += colourAt(image, x, y);
                    ++drawn;
                }
        ASSERT_GT(drawn, Size * Size / 20) << (side ? "back" : "front") << " not drawn";
        mean[side] /= static_cast<float>(drawn);
    }
    EXPECT_GT(mean[0].r, 0.3f);
    EXPECT_NEAR(mean[1].r, mean[0].r, 0.1f * mean[0].r) << "front " << mean[0].r << ", back " << mean[1].r;
}

TEST_F(AwkwardScene, MirroredNodeKeepsItsNormalMapsReliefTheRightWayUp) {
    AwkwardWorld& w = world();
    aiNode* panels[2] = {w.node("Panel"), w.node("MirroredPanel")};
    ASSERT_NE(panels[0], nullptr);
    ASSERT_NE(panels[1], nullptr);
    ASSERT_LT(glm::determinant(mat3(w.global(panels[1]))), 0.0f);
    ASSERT_GT(glm::determinant(mat3(w.global(panels[0]))), 0.0f);
    // White texture; a normal map whose relief leans towards +v (up the panel) everywhere.
    const GLuint texture = makeTexture(1, 1, {{255, 255, 255, 255}}),
                 normalMap = makeTexture(1, 1, {{128, 204, 230, 255}});
    MeshRecord& mesh = w.importer.meshes[panels[0]->mMeshes[0]];
    const MeshRecord saved = mesh;
    mesh.texture = texture;
    mesh.normalTexture = normalMap;
    MaterialBlock matte;
    std::fill(matte.diffuse, matte.diffuse + 3, 1.0f);
    std::fill(matte.ambient, matte.ambient + 3, 0.0f);
    matte.hasTexture = 1;
    w.setMaterial(panels[0], matte);

    // Lit from above and in front: relief leaning up faces the light, leaning down does not.
    w.distantLight(vec3(0.0f, 1.0f, 1.0f));
    float brightness[2];
    for (int i = 0; i < 2; ++i) {
        const vec3 centre(w.global(panels[i])[3]);
        const vec3 eye = centre + vec3(0.0f, 0.0f, 3.0f);
        const Texels image = w.render("test", panels[i], glm::lookAt(eye, centre, vec3(0, 1, 0)), projection, eye);
        ASSERT_TRUE(covered(image, Size / 2, Size / 2));
        brightness[i] = colourAt(image, Size / 2, Size / 2).r;
    }
    mesh = saved;
    EXPECT_GT(brightness[0], 0.8f);
    EXPECT_NEAR(brightness[1], brightness[0], 0.03f) << "plain " << brightness[0] << ", mirrored " << brightness[1];
}
