// The study tool's views, read back from the window: each shows the target it names and
// leaves the GL state as it found it.
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
using Bytes = std::vector<unsigned char>;

// The GL state a demo pass might have left, which every view must leave as it was.
std::vector<GLint> glState() {
    std::vector<GLint> values(4);
    glGetIntegerv(GL_VIEWPORT, values.data());
    for (GLenum name : {GL_CURRENT_PROGRAM, GL_VERTEX_ARRAY_BINDING, GL_ACTIVE_TEXTURE, GL_BLEND_SRC_ALPHA,
                        GL_BLEND_DST_ALPHA, GL_DRAW_FRAMEBUFFER_BINDING, GL_DEPTH_TEST, GL_BLEND}) {
        values.push_back(0);
        glGetIntegerv(name, &values.back());
    }
    return values;
}

class StudyViewsTest : public Quessel::Test::GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        glGenVertexArrays(1, &vertexArray);
        glBindVertexArray(vertexArray);
        glEnable(GL_DEPTH_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glActiveTexture(GL_TEXTURE0 + TextureUnit::CubeMap);
        glViewport(0, 0, 512, 512);
        glGenTextures(1, &texture);
        before = glState();
    }
    void TearDown() override {
        EXPECT_EQ(glState(), before) << "the view changed the GL state";
        glDisable(GL_DEPTH_TEST);
        glViewport(0, 0, ScreenWidth, ScreenHeight);
        glDeleteVertexArrays(1, &vertexArray);
        glDeleteTextures(1, &texture);
        GlTest::TearDown();
    }
    static ViewRenderer& views() {
        static std::unique_ptr<ViewRenderer> renderer;
        if (!renderer) {
            renderer = std::make_unique<ViewRenderer>();
            std::string log;
            EXPECT_TRUE(renderer->init(log)) << log;
        }
        return *renderer;
    }
    // A window-sized RGB8 texture, as the demo's targets are.
    GLuint target(const Bytes& rgb) {
        glBindTexture(GL_TEXTURE_2D, texture);
        upload(GL_TEXTURE_2D, ScreenWidth, ScreenHeight, rgb);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        return texture;
    }
    static void upload(GLenum target, int width, int height, const Bytes& rgb) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(target, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    }

    GLuint vertexArray = 0;
    GLuint texture = 0;
    std::vector<GLint> before;
};

// Pixel `x` across and `y` down from the window's top left.
vec3 pixel(const RgbImage& image, int x, int y) {
    const size_t at = (static_cast<size_t>(image.height - 1 - y) * image.width + x) * 3;
    return vec3(image.pixels[at], image.pixels[at + 1], image.pixels[at + 2]);
}

vec3 direction(const RgbImage& image, int x, int y) { return glm::normalize(pixel(image, x, y) / 127.5f - 1.0f); }
}  // namespace

TEST_F(StudyViewsTest, ColourViewShowsTheColourTargetTexelForTexel) {
    Bytes rgb(static_cast<size_t>(ScreenWidth) * ScreenHeight * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<unsigned char>((i * 7919) >> 5);
    views().drawColorTarget(target(rgb));
    const RgbImage shown = RgbImage::readWindow(ScreenWidth, ScreenHeight);
    // Everything above the caption at the bottom.
    size_t differing = 0;
    for (size_t i = 64 * ScreenWidth * 3; i < rgb.size(); ++i) differing += shown.pixels[i] != rgb[i];
    EXPECT_EQ(differing, 0u) << "channels differing from the target";
}

TEST_F(StudyViewsTest, DepthViewDecodesThePackedDepthIntoAGreyThatDarkensWithDistance) {
    // Columns of known distances packed as the depth pass packs the window depth of the
    // demo's projection (near 0.1, far 10000); the last column is the clear colour.
    const double distances[] = {1.5, 3.0, 6.0, 12.0, 24.0, 45.0, 0.0};
    const int band = ScreenWidth / 7;
    Bytes rgb(static_cast<size_t>(ScreenWidth) * ScreenHeight * 3, 0);
    for (size_t at = 0; at < rgb.size(); at += 3) {
        const double z = distances[std::min(static_cast<int>(at / 3 % ScreenWidth) / band, 6)];
        const double ndc = (10000.1 - 2000.0 / z) / 9999.9;
        const auto packed = z > 0.0 ? static_cast<unsigned>(std::lround((ndc * 0.5 + 0.5) * 16777215.0)) : 0u;
        for (int c = 0; c < 3; ++c) rgb[at + c] = static_cast<unsigned char>(packed >> (16 - 8 * c));
    }
    views().drawDepthTarget(target(rgb), glm::perspective(1.0472f, 1280.0f / 768.0f, 0.1f, 10000.0f));
    const RgbImage shown = RgbImage::readWindow(ScreenWidth, ScreenHeight);
    float nearer = 256.0f;
    for (int i = 0; i < 7; ++i) {
        const vec3 grey = pixel(shown, i * band + band / 2, 300);
        EXPECT_TRUE(grey.r == grey.g && grey.r == grey.b) << "column " << i;
        EXPECT_LT(grey.r, nearer) << "column " << i << " is not darker than the nearer one";
        nearer = grey.r;
        // White at the ramp's near end, black at its far end (and where nothing was drawn).
        const double ramp =
            std::log(distances[i] / ViewRenderer::Nearest) / std::log(ViewRenderer::Farthest / ViewRenderer::Nearest);
        EXPECT_NEAR(grey.r, i < 6 ? 255.0 * (1.0 - ramp) : 0.0, 2.0) << "column " << i;
    }
}

TEST_F(StudyViewsTest, CubeMapCrossShowsEachFaceWhereAViewerInsideSeesItWithEdgesThatMeet) {
    // Every texel holds the direction it is seen in, by OpenGL's cube-map face layout (s to
    // the right, t downwards as the faces are stored).
    const int size = 64;
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
    for (int face = 0; face < 6; ++face) {
        Bytes texels;
        for (int t = 0; t < size; ++t)
            for (int s = 0; s < size; ++s) {
                const float sc = (2.0f * s + 1.0f) / size - 1.0f, tc = (2.0f * t + 1.0f) / size - 1.0f;
                const vec3 faces[6] = {{1, -tc, -sc}, {-1, -tc, sc}, {sc, 1, tc},
                                       {sc, -1, -tc}, {sc, -tc, 1},  {-sc, -tc, -1}};
                const vec3 d = glm::normalize(faces[face]);
                for (int c = 0; c < 3; ++c)
                    texels.push_back(static_cast<unsigned char>(std::lround((d[c] + 1) * 127.5f)));
            }
        upload(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, size, size, texels);
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    views().drawCubeMap(texture, "Sphere");
    const RgbImage shown = RgbImage::readWindow(ScreenWidth, ScreenHeight);
    const int cell = ViewRenderer::CrossCell, left = ViewRenderer::CrossLeft, top = ViewRenderer::CrossTop;
    const auto at = [&](int column, int row, int x, int y) {
        return direction(shown, left + column * cell + x, top + row * cell + y);
    };
    // Straight ahead +Z with +Y above it and -Y below; turning right: -X, then -Z, then +X.
    const struct {
        int column, row;
        vec3 axis;
    } centres[] = {{1, 1, {0, 0, 1}}, {2, 1, {-1, 0, 0}}, {3, 1, {0, 0, -1}},
                   {0, 1, {1, 0, 0}}, {1, 0, {0, 1, 0}},  {1, 2, {0, -1, 0}}};
    for (const auto& c : centres)
        EXPECT_GT(glm::dot(at(c.column, c.row, cell / 2, cell / 2), c.axis), 0.99f) << c.column << ", " << c.row;
    // Where two cells touch, both sides show the same directions: +Y over +Z over -Y, and
    // +X, +Z, -X, -Z side by side.
    for (int along = 16; along < cell; along += 48) {
        for (int row : {0, 1})
            EXPECT_GT(glm::dot(at(1, row, along, cell - 2), at(1, row + 1, along, 1)), 0.995f) << "row " << row;
        for (int column : {0, 1, 2})
            EXPECT_GT(glm::dot(at(column, 1, cell - 2, along), at(column + 1, 1, 1, along)), 0.995f) << column;
    }
}
