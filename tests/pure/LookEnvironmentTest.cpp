// The look's environment on the CPU: irradiance as spherical harmonics, the specular levels
// against a brute-force integral, the studio's smoothness and the panorama files.
#include "FunctionEnvironment.h"
#include "SceneFiles.h"
#include "TestScene.h"
#include "core/RgbImage.h"
#include "look/CubeImage.h"
#include "look/PanoramaEnvironment.h"
#include "look/PanoramaFile.h"
#include "look/SpecularPrefilter.h"
#include "look/SphericalHarmonics.h"
#include "look/StudioEnvironment.h"
#include "look/ToneCurve.h"

#include <gtest/gtest.h>
#include <tinyexr.h>

#include <cmath>
#include <fstream>
#include <limits>

using namespace Quessel;
using namespace Quessel::Test;

namespace {

constexpr float Pi = 3.14159265f;

const vec3 Directions[] = {{0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {0, 0, -1}, {0.48f, 0.6f, -0.64f}, {-0.6f, -0.48f, 0.64f}};

// The prefiltered value at n, integrated over every texel of the cube: the GGX lobe's
// weight D(h) (n.l) per solid angle, with normal, view and reflection all n.
vec3 bruteForce(const CubeImage& radiance, const vec3& n, float roughness) {
    glm::dvec3 sum(0.0);
    double weight = 0.0;
    for (int face = 0; face < 6; ++face)
        for (int y = 0; y < radiance.size; ++y)
            for (int x = 0; x < radiance.size; ++x) {
                const vec3 l = radiance.texelDirection(face, x, y);
                const float nDotL = glm::dot(n, l);
                if (nDotL <= 0.0f) continue;
                const vec3 h = glm::normalize(n + l);
                const double w = double(SpecularPrefilter::distribution(glm::dot(n, h), roughness)) * nDotL *
                                 radiance.texelSolidAngle(x, y);
                sum += glm::dvec3(radiance.at(face, x, y)) * w;
                weight += w;
            }
    return vec3(sum / weight);
}

}  // namespace

TEST(LookEnvironment, IrradianceOfAKnownRadianceIsExact) {
    // Radiance a + b.d + c d.x d.y lies in the first three bands; its irradiance is
    // pi a + 2 pi / 3 b.n + pi / 4 c n.x n.y exactly.
    const vec3 a(0.5f, 0.25f, 1.0f);
    const vec3 b(0.2f, -0.1f, 0.3f);
    const float c = 0.4f;
    const FunctionEnvironment environment([&](const vec3& d) { return a + vec3(glm::dot(b, d)) + c * d.x * d.y; }, 32);
    const SphericalHarmonics sh = SphericalHarmonics::project(CubeImage::fromEnvironment(environment, 32));
    for (const vec3& direction : Directions) {
        const vec3 n = glm::normalize(direction);
        const vec3 expected = Pi * a + vec3(2.0f * Pi / 3.0f * glm::dot(b, n)) + Pi / 4.0f * c * n.x * n.y;
        const vec3 actual = sh.irradiance(n);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], 2e-3f) << "n " << n.x << " " << n.y << " " << n.z;
    }
}

TEST(LookEnvironment, PrefilteredLevelsMatchTheIntegralOverTheLobe) {
    const StudioEnvironment studio;
    const CubeImage radiance = CubeImage::fromEnvironment(studio, 32);
    const std::vector<CubeImage> levels = SpecularPrefilter::levels(radiance, 32);
    ASSERT_EQ(levels.size(), 4u);  // 32, 16, 8, 4
    // Texels across the faces, by face and place: centre, edge, corner.
    const std::tuple<int, float, float> texels[] = {{2, 0.5f, 0.5f}, {3, 0.5f, 0.5f}, {0, 0.0f, 0.5f},
                                                    {5, 0.9f, 0.1f}, {4, 0.99f, 0.99f}, {1, 0.3f, 0.7f}};
    for (size_t level = 0; level < levels.size(); ++level) {
        const CubeImage& cube = levels[level];
        const float roughness = SpecularPrefilter::roughness(static_cast<int>(level), 4);
        for (const auto& [face, u, v] : texels) {
            const int x = static_cast<int>(u * cube.size);
            const int y = static_cast<int>(v * cube.size);
            const vec3 n = cube.texelDirection(face, x, y);
            const vec3 expected = level == 0 ? radiance.sample(n) : bruteForce(radiance, n, roughness);
            EXPECT_NEAR(cube.at(face, x, y).x, expected.x, 0.06f * expected.x + 0.01f)
                << "level " << level << " face " << face << " texel " << x << ", " << y;
        }
    }
}

TEST(LookEnvironment, StudioIsLitEverywhereBrightAboveAndWithoutEdges) {
    const StudioEnvironment studio;
    float largestStep = 0.0f;
    // Around two great circles a quarter of a degree at a time: an edge a cube-map texel
    // could alias on would jump by a panel's whole brightness.
    for (const vec3& axis : {vec3(1, 0, 0), glm::normalize(vec3(0.3f, 0.2f, 1.0f))}) {
        const vec3 start = glm::normalize(glm::cross(axis, vec3(0, 1, 0.1f)));
        vec3 previous = studio.radiance(start);
        for (int step = 1; step <= 1440; ++step) {
            const vec3 d = glm::vec3(glm::rotate(mat4(1.0f), glm::radians(step * 0.25f), axis) * vec4(start, 0.0f));
            const vec3 value = studio.radiance(glm::normalize(d));
            ASSERT_TRUE(std::isfinite(value.x) && value.x > 0.1f);
            largestStep = std::max(largestStep, std::abs(value.x - previous.x));
            previous = value;
        }
    }
    EXPECT_LT(largestStep, 0.2f);
    const SphericalHarmonics sh = SphericalHarmonics::project(CubeImage::fromEnvironment(studio, 32));
    EXPECT_GT(sh.irradiance({0, 1, 0}).x, 2.0f * sh.irradiance({0, -1, 0}).x);
    EXPECT_GT(sh.irradiance({0, -1, 0}).x, 0.5f);
}

TEST(LookEnvironment, PanoramaCentreLooksAlongMinusZAndItsTopUp) {
    FloatImage image;
    image.width = 8;
    image.height = 4;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) image.texels.push_back(vec3(static_cast<float>(x * x), static_cast<float>(y), 0.0f));
    const PanoramaEnvironment panorama(image, "test");
    // -Z meets the boundary between columns 3 and 4; +X a quarter turn to the right, between
    // 5 and 6.
    EXPECT_NEAR(panorama.radiance({0, 0, -1}).x, (9.0f + 16.0f) / 2.0f, 1e-4f);
    EXPECT_NEAR(panorama.radiance({1, 0, 0}).x, (25.0f + 36.0f) / 2.0f, 1e-4f);
    EXPECT_NEAR(panorama.radiance({0, 1, 0}).y, 0.0f, 1e-4f);
    EXPECT_NEAR(panorama.radiance({0, -1, 0}).y, 3.0f, 1e-4f);
}

namespace {

// A Radiance file of flat (not run-length) RGBE texels, the given size in its header.
void writeHdr(const std::string& path, int width, int height, int texels, unsigned char mantissa, unsigned char exponent) {
    std::ofstream file(path, std::ios::binary);
    file << "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " << height << " +X " << width << "\n";
    for (int i = 0; i < texels; ++i) file << mantissa << mantissa << mantissa << exponent;
}

void writeExr(const std::string& path, float value) {
    std::vector<float> rgb(4 * 2 * 3, value);
    const char* message = nullptr;
    ASSERT_EQ(SaveEXR(rgb.data(), 4, 2, 3, 0, path.c_str(), &message), TINYEXR_SUCCESS);
}

// The same file with its data window's corner moved to (x, y).
void stretchExr(const std::string& path, int x, int y) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const size_t at = bytes.find("dataWindow");
    ASSERT_NE(at, std::string::npos);
    // name, type "box2i", size (4 bytes), then min x, min y, max x, max y.
    const size_t corner = at + std::string("dataWindow").size() + 1 + std::string("box2i").size() + 1 + 4 + 8;
    std::memcpy(&bytes[corner], &x, 4);
    std::memcpy(&bytes[corner + 4], &y, 4);
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(LookEnvironment, PanoramaFilesAreReadInLinearLightOrRefusedByName) {
    const ScratchDir dir;
    struct Row {
        const char* label;
        std::string file;
        std::function<void(const std::string&)> write;
        float value;            // the first texel's red in linear light, when read
        const char* refusal;    // else part of the message
    };
    RgbImage grey;
    grey.width = 4;
    grey.height = 2;
    grey.pixels.assign(4 * 2 * 3, 188);
    const Row rows[] = {
        // Radiance's decoding takes a mantissa's middle: (128 + 0.5) / 2^(136 - 130).
        {"Radiance HDR as stored", "sky.hdr", [](const std::string& p) { writeHdr(p, 4, 2, 8, 128, 130); },
         128.5f / 64.0f, nullptr},
        {"OpenEXR as stored", "sky.exr", [](const std::string& p) { writeExr(p, 3.5f); }, 3.5f, nullptr},
        {"PNG decoded from sRGB", "sky.png", [&](const std::string& p) { grey.savePng(p); },
         ToneCurve::decodeSrgb(188.0f / 255.0f), nullptr},
        {"missing", "none.hdr", [](const std::string&) {}, 0.0f, "cannot be opened"},
        {"not an image", "notes.png", [](const std::string& p) { writeText(p, "no image here"); }, 0.0f,
         "not an image"},
        {"HDR header of an absurd size", "huge.hdr", [](const std::string& p) { writeHdr(p, 100000, 100000, 8, 128, 130); },
         0.0f, "size"},
        {"EXR header of an absurd size", "huge.exr",
         [](const std::string& p) {
             writeExr(p, 1.0f);
             stretchExr(p, 70000, 70000);
         },
         0.0f, "declares"},
        {"EXR not finite", "nan.exr", [](const std::string& p) { writeExr(p, std::numeric_limits<float>::infinity()); },
         0.0f, "not finite"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const std::string path = dir.file(row.file);
        row.write(path);
        std::string error;
        const std::optional<FloatImage> image = PanoramaFile::read(path, error);
        if (!row.refusal) {
            ASSERT_TRUE(image) << error;
            EXPECT_EQ(image->width, 4);
            EXPECT_EQ(image->height, 2);
            EXPECT_NEAR(image->texels.front().x, row.value, 1e-3f);
            continue;
        }
        EXPECT_FALSE(image);
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find(row.refusal), std::string::npos) << error;
    }
}
