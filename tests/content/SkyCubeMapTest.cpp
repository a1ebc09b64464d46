#include "ContentScene.h"
#include "DecodedImage.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

using namespace Quessel::Test;

namespace {

const char* const faceNames[6] = {"posx", "negx", "posy", "negy", "posz", "negz"};

class SkyCubeMap : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (int f = 0; f < 6; ++f)
            faces[f] = std::make_unique<DecodedImage>(modelDir + "/TextureBox_Sphere_003/" + faceNames[f] + ".tga");
    }
    static void TearDownTestSuite() {
        for (auto& face : faces) face.reset();
    }
    void SetUp() override {
        for (int f = 0; f < 6; ++f) ASSERT_TRUE(faces[f]->valid()) << faceNames[f];
    }

    // OpenGL's cube-map selection: the face a direction falls on and its (s, t), with t
    // measured from the first row of the data handed to glTexImage2D.
    static const uint8_t* lookup(aiVector3D d) {
        double ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
        int face;
        double sc, tc, ma;
        if (ax >= ay && ax >= az) {
            face = d.x > 0 ? 0 : 1;
            sc = d.x > 0 ? -d.z : d.z;
            tc = -d.y;
            ma = ax;
        } else if (ay >= az) {
            face = d.y > 0 ? 2 : 3;
            sc = d.x;
            tc = d.y > 0 ? d.z : -d.z;
            ma = ay;
        } else {
            face = d.z > 0 ? 4 : 5;
            sc = d.z > 0 ? d.x : -d.x;
            tc = -d.y;
            ma = az;
        }
        const DecodedImage& image = *faces[face];
        int n = image.width;
        int col = std::clamp(int((sc / ma + 1) * 0.5 * n), 0, n - 1);
        int row = std::clamp(int((tc / ma + 1) * 0.5 * n), 0, n - 1);
        return image.at(col, row);
    }

    // The direction through face f at (s, t), from the cube-map layout table.
    static aiVector3D direction(int f, double s, double t) {
        float sc = float(2 * s - 1), tc = float(2 * t - 1);
        switch (f) {
        case 0: return {1, -tc, -sc};
        case 1: return {-1, -tc, sc};
        case 2: return {sc, 1, tc};
        case 3: return {sc, -1, -tc};
        case 4: return {sc, -tc, 1};
        default: return {-sc, -tc, -1};
        }
    }

    static std::array<double, 3> meanColour(int f, int row0, int row1) {
        const DecodedImage& image = *faces[f];
        std::array<double, 3> sum{};
        for (int y = row0; y < row1; ++y)
            for (int x = 0; x < image.width; ++x)
                for (int c = 0; c < 3; ++c) sum[c] += image.at(x, y)[c];
        for (double& v : sum) v /= double(row1 - row0) * image.width;
        return sum;
    }

    static std::unique_ptr<DecodedImage> faces[6];
};

std::unique_ptr<DecodedImage> SkyCubeMap::faces[6];

}  // namespace

TEST_F(SkyCubeMap, FacesAreEqualSquares) {
    int n = faces[0]->width;
    EXPECT_TRUE(n == 256 || n == 512);
    for (int f = 0; f < 6; ++f) {
        EXPECT_EQ(faces[f]->width, n) << faceNames[f];
        EXPECT_EQ(faces[f]->height, n) << faceNames[f];
    }
}

TEST_F(SkyCubeMap, SharedEdgesAgree) {
    // Each border texel against the texel just across the edge on the neighbouring face.
    for (int f = 0; f < 6; ++f) {
        const DecodedImage& image = *faces[f];
        const int n = image.width;
        int worst = 0;
        double total = 0;
        int samples = 0;
        for (int i = 0; i < n; ++i) {
            const int edges[4][2] = {{i, 0}, {i, n - 1}, {0, i}, {n - 1, i}};
            for (const auto& e : edges) {
                int col = e[0], row = e[1];
                double s = (col + 0.5) / n, t = (row + 0.5) / n;
                // Step one texel outwards across whichever border this texel lies on.
                if (row == 0)
                    t -= 1.0 / n;
                else if (row == n - 1)
                    t += 1.0 / n;
                else if (col == 0)
                    s -= 1.0 / n;
                else
                    s += 1.0 / n;
                const uint8_t* here = image.at(col, row);
                const uint8_t* there = lookup(direction(f, s, t));
                for (int c = 0; c < 3; ++c) {
                    int diff = std::abs(int(here[c]) - int(there[c]));
                    worst = std::max(worst, diff);
                    total += diff;
                    ++samples;
                }
            }
        }
        EXPECT_LE(worst, 12) << faceNames[f];
        EXPECT_LT(total / samples, 1.0) << faceNames[f];
    }
}

TEST_F(SkyCubeMap, SkyIsUpAndGroundIsDown) {
    auto up = meanColour(2, 0, faces[2]->height);
    auto down = meanColour(3, 0, faces[3]->height);
    EXPECT_GT(up[2], up[0] + 40) << "+Y should be blue sky";
    EXPECT_GT(down[1], down[2]) << "-Y should be ground";
    EXPECT_GT(up[0] + up[1] + up[2], down[0] + down[1] + down[2]);
    for (int f : {0, 1, 4, 5}) {
        int n = faces[f]->height;
        auto top = meanColour(f, 0, n / 8);
        auto bottom = meanColour(f, n - n / 8, n);
        EXPECT_GT(top[2], top[0]) << faceNames[f] << ": first rows should be sky";
        EXPECT_GE(bottom[1], bottom[2]) << faceNames[f] << ": last rows should be ground";
    }
}

TEST_F(SkyCubeMap, DomeShowsTheSameSkyAsTheCubeMap) {
    // The dome's panorama, sampled where its texture coordinates put each vertex (the way
    // the demo loads images: bottom row at v = 0), must show what the cube map shows in
    // that vertex's direction from the dome's centre. Catches a flipped or shifted
    // panorama and dome coordinates that disagree with it.
    DecodedImage panorama(runDir + "/" + skyTextureName);
    ASSERT_TRUE(panorama.valid());
    const aiNode* dome = findNode(skyDomeName);
    ASSERT_NE(dome, nullptr);
    const aiMatrix4x4 toWorld = globalTransform(dome);
    double total = 0;
    int samples = 0;
    for (unsigned i = 0; i < dome->mNumMeshes; ++i) {
        const aiMesh* mesh = scene()->mMeshes[dome->mMeshes[i]];
        ASSERT_TRUE(mesh->HasTextureCoords(0));
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            aiVector3D d = (toWorld * mesh->mVertices[v]) - skyDomeCentre;
            if (d.y > 0.999f * d.Length()) continue;  // the zenith: every u meets there
            const aiVector3D& uv = mesh->mTextureCoords[0][v];
            int col = std::clamp(int(uv.x * panorama.width), 0, panorama.width - 1);
            int row = std::clamp(int((1.0f - uv.y) * panorama.height), 0, panorama.height - 1);
            const uint8_t* seen = panorama.at(col, row);
            const uint8_t* expected = lookup(d);
            for (int c = 0; c < 3; ++c) total += std::abs(int(seen[c]) - int(expected[c]));
            samples += 3;
        }
    }
    ASSERT_GT(samples, 300);
    EXPECT_LT(total / samples, 6.0);
}
