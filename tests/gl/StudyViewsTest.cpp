// The study tool's views, read back from the window: each shows the target it names, and
// they leave the GL state as they found it.
#include "GlTestContext.h"

#include "core/GlConstants.h"
#include "core/RgbImage.h"
#include "math/MathTypes.h"
#include "study/ViewRenderer.h"

#include <cmath>
#include <memory>
#include <vector>

using namespace Quessel;
using Quessel::Study::ViewRenderer;

namespace {

class StudyViewsTest : public Quessel::Test::GlTest {
protected:
    static ViewRenderer& views() {
        static std::unique_ptr<ViewRenderer> renderer;
        if (!renderer) {
            renderer = std::make_unique<ViewRenderer>();
            std::string log;
            EXPECT_TRUE(renderer->init(log)) << log;
        }
        return *renderer;
    }
    static RgbImage window() { return RgbImage::readWindow(ScreenWidth, ScreenHeight); }
};

// Pixel `x` across and `y` down from the window's top left.
vec3 pixel(const RgbImage& image, int x, int y) {
    const size_t at = (static_cast<size_t>(image.height - 1 - y) * image.width + x) * 3;
    return vec3(image.pixels[at], image.pixels[at + 1], image.pixels[at + 2]);
}

GLuint rgbTexture(int width, int height, const std::vector<unsigned char>& rgb) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// The direction a texel of a cube face looks along, in OpenGL's cube-map face layout (s to
// the right, t downwards as the faces are stored).
vec3 faceDirection(int face, float s, float t) {
    const float sc = 2.0f * s - 1.0f;
    const float tc = 2.0f * t - 1.0f;
    const vec3 directions[6] = {{1, -tc, -sc}, {-1, -tc, sc}, {sc, 1, tc}, {sc, -1, -tc}, {sc, -tc, 1}, {-sc, -tc, -1}};
    return glm::normalize(directions[face]);
}

// A cube map whose every texel holds the direction it is seen in, as a colour.
GLuint directionCubeMap(int size) {
    GLuint cubeMap = 0;
    glGenTextures(1, &cubeMap);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubeMap);
    std::vector<unsigned char> texels(static_cast<size_t>(size) * size * 3);
    for (int face = 0; face < 6; ++face) {
        for (int t = 0; t < size; ++t)
            for (int s = 0; s < size; ++s) {
                const vec3 d = faceDirection(face, (s + 0.5f) / size, (t + 0.5f) / size);
                for (int c = 0; c < 3; ++c)
                    texels[(static_cast<size_t>(t) * size + s) * 3 + c] =
                        static_cast<unsigned char>(std::lround((d[c] + 1.0f) * 127.5f));
            }
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGB8, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     texels.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return cubeMap;
}

vec3 direction(const RgbImage& image, int x, int y) { return glm::normalize(pixel(image, x, y) / 127.5f - 1.0f); }

}  // namespace

TEST_F(StudyViewsTest, ColourViewShowsTheColourTargetTexelForTexel) {
    std::vector<unsigned char> rgb(static_cast<size_t>(ScreenWidth) * ScreenHeight * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<unsigned char>((i * 7919) >> 5);
    const GLuint target = rgbTexture(ScreenWidth, ScreenHeight, rgb);
    views().drawColorTarget(target);
    const RgbImage shown = window();
    // Everything above the caption at the bottom.
    const size_t captionRows = 64;
    const size_t start = captionRows * ScreenWidth * 3;
    size_t differing = 0;
    for (size_t i = start; i < rgb.size(); ++i) differing += shown.pixels[i] != rgb[i];
    EXPECT_EQ(differing, 0u) << "channels differing from the target";
    glDeleteTextures(1, &target);
}

TEST_F(StudyViewsTest, DepthViewDecodesThePackedDepthIntoAGreyThatDarkensWithDistance) {
    // Bands of known distances, packed as the depth pass packs the window depth of the
    // demo's projection (near 0.1, far 10000); the last band is the clear colour.
    const double distances[] = {1.5, 3.0, 6.0, 12.0, 24.0, 45.0};
    const int bands = 7;
    const int bandWidth = ScreenWidth / bands;
    std::vector<unsigned char> rgb(static_cast<size_t>(ScreenWidth) * ScreenHeight * 3, 0);
    for (int x = 0; x < bandWidth * 6; ++x) {
        const double z = distances[x / bandWidth];
        const double n = 0.1, f = 10000.0;
        const double ndc = (f + n) / (f - n) - 2.0 * f * n / ((f - n) * z);
        const auto packed = static_cast<unsigned>(std::lround((ndc * 0.5 + 0.5) * 16777215.0));
        for (int y = 0; y < ScreenHeight; ++y) {
            unsigned char* texel = &rgb[(static_cast<size_t>(y) * ScreenWidth + x) * 3];
            texel[0] = static_cast<unsigned char>(packed >> 16);
            texel[1] = static_cast<unsigned char>(packed >> 8);
            texel[2] = static_cast<unsigned char>(packed);
        }
    }
    const GLuint target = rgbTexture(ScreenWidth, ScreenHeight, rgb);
    views().drawDepthTarget(target, glm::perspective(1.0472f, 1280.0f / 768.0f, 0.1f, 10000.0f));
    const RgbImage shown = window();
    float previous = 256.0f;
    for (int band = 0; band < bands; ++band) {
        const vec3 grey = pixel(shown, band * bandWidth + bandWidth / 2, 300);
        EXPECT_EQ(grey.r, grey.g) << "band " << band;
        EXPECT_EQ(grey.r, grey.b) << "band " << band;
        EXPECT_LT(grey.r, previous) << "band " << band << " is not darker than the nearer one";
        previous = grey.r;
        // White at the ramp's near end, black at its far end, logarithmic between.
        const double expected = band < 6 ? 255.0 * (1.0 - std::log(distances[band] / ViewRenderer::Nearest) /
                                                              std::log(ViewRenderer::Farthest / ViewRenderer::Nearest))
                                         : 0.0;
        EXPECT_NEAR(grey.r, expected, 2.0) << "band " << band;
    }
    glDeleteTextures(1, &target);
}

TEST_F(StudyViewsTest, CubeMapCrossShowsEachFaceWhereAViewerInsideSeesItWithEdgesThatMeet) {
    const GLuint cubeMap = directionCubeMap(64);
    views().drawCubeMap(cubeMap, "Sphere");
    const RgbImage shown = window();
    const int cell = ViewRenderer::CrossCell;
    const int left = ViewRenderer::CrossLeft;
    const int top = ViewRenderer::CrossTop;
    // Straight ahead +Z with +Y above it and -Y below; turning right: -X, then -Z, then +X.
    const struct {
        int column, row;
        vec3 axis;
    } centres[] = {{1, 1, {0, 0, 1}}, {2, 1, {-1, 0, 0}}, {3, 1, {0, 0, -1}},
                   {0, 1, {1, 0, 0}}, {1, 0, {0, 1, 0}},  {1, 2, {0, -1, 0}}};
    for (const auto& c : centres) {
        const vec3 seen = direction(shown, left + c.column * cell + cell / 2, top + c.row * cell + cell / 2);
        EXPECT_GT(glm::dot(seen, c.axis), 0.99f) << "cell " << c.column << ", " << c.row;
    }
    // Screen right from the centre of +Z turns towards -X, screen up towards +Y.
    const vec3 ahead = direction(shown, left + cell + cell / 2 + 60, top + cell + cell / 2 - 60);
    EXPECT_LT(ahead.x, -0.3f);
    EXPECT_GT(ahead.y, 0.3f);
    // Where two cells of the cross touch, both sides show the same directions.
    const struct {
        int column, row;
        bool below;  // the neighbour below, else the one to the right
    } edges[] = {{1, 0, true}, {1, 1, true}, {0, 1, false}, {1, 1, false}, {2, 1, false}};
    for (const auto& e : edges) {
        for (int along = 16; along < cell; along += 48) {
            const int x = left + e.column * cell + (e.below ? along : cell - 2);
            const int y = top + e.row * cell + (e.below ? cell - 2 : along);
            const vec3 inside = direction(shown, x, y);
            const vec3 across = direction(shown, e.below ? x : x + 3, e.below ? y + 3 : y);
            EXPECT_GT(glm::dot(inside, across), 0.995f)
                << "edge of cell " << e.column << ", " << e.row << (e.below ? " below" : " right") << " at " << along;
        }
    }
    glDeleteTextures(1, &cubeMap);
}

TEST_F(StudyViewsTest, ViewsLeaveTheGlStateAsTheyFoundIt) {
    const GLuint cubeMap = directionCubeMap(8);
    GLuint program = glCreateProgram();
    GLuint vertexArray = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glActiveTexture(GL_TEXTURE0 + TextureUnit::CubeMap);
    glViewport(0, 0, 512, 512);
    const auto state = [] {
        std::vector<GLint> values;
        for (GLenum name : {GL_CURRENT_PROGRAM, GL_VERTEX_ARRAY_BINDING, GL_ACTIVE_TEXTURE, GL_BLEND_SRC_ALPHA,
                            GL_BLEND_DST_ALPHA, GL_DRAW_FRAMEBUFFER_BINDING, GL_VIEWPORT}) {
            GLint value[4] = {0, 0, 0, 0};
            glGetIntegerv(name, value);
            values.insert(values.end(), value, value + (name == GL_VIEWPORT ? 4 : 1));
        }
        values.push_back(glIsEnabled(GL_DEPTH_TEST));
        values.push_back(glIsEnabled(GL_BLEND));
        return values;
    };
    const std::vector<GLint> before = state();
    const GLuint target = rgbTexture(4, 4, std::vector<unsigned char>(48, 9));
    views().drawColorTarget(target);
    EXPECT_EQ(state(), before) << "after the colour view";
    views().drawDepthTarget(target, mat4(1.0f));
    EXPECT_EQ(state(), before) << "after the depth view";
    views().drawCubeMap(cubeMap, "Sphere");
    EXPECT_EQ(state(), before) << "after the cube-map view";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDisable(GL_DEPTH_TEST);
    glViewport(0, 0, ScreenWidth, ScreenHeight);
    glDeleteProgram(program);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteTextures(1, &target);
    glDeleteTextures(1, &cubeMap);
}
