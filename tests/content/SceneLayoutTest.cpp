#include "ContentScene.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace Quessel::Test;

namespace {

constexpr float cameraMargin = 0.3f;

class SceneLayout : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(scene(), nullptr) << "cannot import " << scenePath; }
};

double distanceToSegment(const aiVector3D& p, const aiVector3D& a, const aiVector3D& b) {
    aiVector3D ab = b - a;
    double t = std::fmax(0.0, std::fmin(1.0, ((p - a) * ab) / (ab * ab)));
    return (p - (a + ab * static_cast<float>(t))).Length();
}

bool boxesOverlap(const aiVector3D& aLo, const aiVector3D& aHi, const aiVector3D& bLo, const aiVector3D& bHi) {
    for (int axis = 0; axis < 3; ++axis)
        if (aHi[axis] < bLo[axis] || bHi[axis] < aLo[axis]) return false;
    return true;
}

// True when nothing stands between the eye and the target node's mesh.
bool seesNode(const aiVector3D& eye, const aiVector3D& target, const aiNode* node) {
    aiVector3D dir = target - eye;
    auto hit = castRay(eye, dir.Normalize());
    return hit && hit->mesh->node == node;
}

}  // namespace

TEST_F(SceneLayout, CameraPathStaysClearOfEveryMesh) {
    for (int i = 0; i < 6; ++i) {
        const aiVector3D& a = pathPoints[i];
        const aiVector3D& b = pathPoints[(i + 1) % 6];
        for (const WorldMesh& mesh : worldMeshes())
            EXPECT_FALSE(!isSkyDome(mesh) && segmentHitsBox(a, b, mesh.min, mesh.max, cameraMargin))
                << "segment P" << i << " -> P" << (i + 1) % 6 << " passes through "
                << scene()->mMeshes[mesh.meshIndex]->mName.C_Str() << " of " << nodeName(mesh.node);
    }
}

TEST_F(SceneLayout, SkyDomeIsAnInwardShellFarFromThePath) {
    const aiNode* dome = findNode(skyDomeName);
    ASSERT_NE(dome, nullptr);
    ASSERT_GE(dome->mNumMeshes, 1u);
    const aiMatrix4x4 toWorld = globalTransform(dome);
    const aiMatrix3x3 rotation(toWorld);
    unsigned triangles = 0;
    float lowest = 1e9f, highest = -1e9f;
    for (unsigned m = 0; m < dome->mNumMeshes; ++m) {
        const aiMesh* mesh = scene()->mMeshes[dome->mMeshes[m]];
        ASSERT_TRUE(mesh->HasNormals());
        EXPECT_TRUE(mesh->HasTextureCoords(0));
        triangles += mesh->mNumFaces;
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D p = toWorld * mesh->mVertices[v];
            ASSERT_NEAR((p - skyDomeCentre).Length(), skyDomeRadius, 0.01f) << "vertex " << v;
            lowest = std::fmin(lowest, p.y);
            highest = std::fmax(highest, p.y);
            aiVector3D inward = skyDomeCentre - p;
            inward.Normalize();
            ASSERT_GT((rotation * mesh->mNormals[v]) * inward, 0.99f) << "vertex " << v << " normal faces out";
        }
        // Counter-clockwise seen from inside, so culling would keep the inner side.
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const unsigned* k = mesh->mFaces[f].mIndices;
            const aiVector3D a = toWorld * mesh->mVertices[k[0]], b = toWorld * mesh->mVertices[k[1]],
                             c = toWorld * mesh->mVertices[k[2]];
            ASSERT_GT(((b - a) ^ (c - a)) * (skyDomeCentre - a), 0.0f) << "face " << f << " is wound outwards";
        }
    }
    EXPECT_LE(triangles, 600u) << "the dome is meant to be low poly";
    EXPECT_NEAR(highest, skyDomeRadius, 0.01f);
    EXPECT_LT(lowest, -1.0f) << "the dome should reach below the horizon";
    // Far enough that no path position gets near it, near enough for every far plane (1000 m).
    for (const aiVector3D& p : pathPoints) {
        EXPECT_LT((p - skyDomeCentre).Length(), skyDomeRadius - 50.0f);
        EXPECT_LT((p - skyDomeCentre).Length() + skyDomeRadius, 900.0f);
    }
}

TEST_F(SceneLayout, EveryDirectionAlongThePathMeetsSceneOrSky) {
    // Anything a view finds nothing in shows the clear colour instead of the sky.
    for (int i = 0; i < 6; ++i) {
        const aiVector3D& a = pathPoints[i];
        const aiVector3D& b = pathPoints[(i + 1) % 6];
        for (const aiVector3D& eye : {a, (a + b) * 0.5f}) {
            int missed = 0;
            for (int elevation = -80; elevation <= 90; elevation += 10)
                for (int azimuth = 0; azimuth < 360; azimuth += 15) {
                    double e = elevation * 3.14159265358979 / 180, z = azimuth * 3.14159265358979 / 180;
                    aiVector3D dir(static_cast<float>(std::cos(e) * std::cos(z)), static_cast<float>(std::sin(e)),
                                   static_cast<float>(std::cos(e) * std::sin(z)));
                    missed += !castRay(eye, dir, 200.0);
                }
            EXPECT_EQ(missed, 0) << "from (" << eye.x << ", " << eye.y << ", " << eye.z << ") near P" << i;
        }
    }
}

TEST_F(SceneLayout, EveryHoldViewIsFullOfScene) {
    for (const HoldView& hold : holdViews) {
        ViewFrame view(hold.eye, hold.direction);
        int missed = 0;
        for (int j = 0; j <= 24; ++j)
            for (int i = 0; i <= 40; ++i) {
                auto hit = castRay(view.eye, view.ray(i / 20.0 - 1.0, j / 12.0 - 1.0), 100.0);
                if (!hit) ++missed;
            }
        EXPECT_EQ(missed, 0) << hold.name << " shows background";
    }
}

TEST_F(SceneLayout, SpecialSpheresAreCloseAndUnhiddenAtTheFirstHold) {
    ViewFrame view(holdViews[0].eye, holdViews[0].direction);
    for (const char* name : {"Sphere", "Sphere_001", "Sphere_002"}) {
        const aiNode* node = findNode(name);
        ASSERT_NE(node, nullptr) << name;
        aiVector3D centre = globalPosition(node);
        aiVector3D ndc = view.project(centre);
        EXPECT_LT(std::fabs(ndc.x), 0.8f) << name;
        EXPECT_LT(std::fabs(ndc.y), 0.8f) << name;
        EXPECT_GE(ndc.z, 3.0f) << name;
        EXPECT_LE((centre - view.eye).Length(), 8.0f) << name;
        EXPECT_TRUE(seesNode(view.eye, centre, node)) << name << " is hidden";
    }
}

TEST_F(SceneLayout, FourthSphereShowsInAHoldView) {
    const aiNode* node = findNode("Sphere_003");
    ASSERT_NE(node, nullptr);
    aiVector3D centre = globalPosition(node);
    bool seen = false;
    for (const HoldView& hold : holdViews) {
        ViewFrame view(hold.eye, hold.direction);
        aiVector3D ndc = view.project(centre);
        seen = seen ||
               (ndc.z > 0 && std::fabs(ndc.x) < 0.9f && std::fabs(ndc.y) < 0.9f && seesNode(view.eye, centre, node));
    }
    EXPECT_TRUE(seen);
}

TEST_F(SceneLayout, SmokeLeavesTheChimneyMouthIntoOpenAir) {
    const aiNode* chimney = findNode("Chimney");
    ASSERT_NE(chimney, nullptr);
    aiVector3D lo(1e9f, 1e9f, 1e9f), hi(-1e9f, -1e9f, -1e9f);
    for (const WorldMesh& mesh : worldMeshes())
        if (mesh.node == chimney)
            for (int axis = 0; axis < 3; ++axis) {
                lo[axis] = std::fmin(lo[axis], mesh.min[axis]);
                hi[axis] = std::fmax(hi[axis], mesh.max[axis]);
            }
    EXPECT_NEAR(hi.y, emitterPosition.y, 0.02f);
    EXPECT_GT(emitterPosition.x, lo.x + 0.3f);
    EXPECT_LT(emitterPosition.x, hi.x - 0.3f);
    EXPECT_GT(emitterPosition.z, lo.z + 0.3f);
    EXPECT_LT(emitterPosition.z, hi.z - 0.3f);

    // The flue floor is just below the emitter, and the ~5 m plume above it is unobstructed.
    auto below = castRay(emitterPosition, {0, -1, 0}, 1.0);
    ASSERT_TRUE(below);
    EXPECT_EQ(below->mesh->node, chimney);
    for (float dx : {-0.6f, 0.0f, 0.6f})
        for (float dz : {-0.6f, 0.0f, 0.6f})
            EXPECT_FALSE(castRay(emitterPosition + aiVector3D(dx, 0.05f, dz), {0, 1, 0}, 6.0))
                << "plume blocked at offset " << dx << ", " << dz;
}

TEST_F(SceneLayout, ChimneyAndPlumeShowInTheHoldViews) {
    const aiNode* chimney = findNode("Chimney");
    ASSERT_NE(chimney, nullptr);
    ViewFrame first(holdViews[0].eye, holdViews[0].direction);
    aiVector3D emitter = first.project(emitterPosition);
    std::printf("emitter at the P1 hold: ndc (%.3f, %.3f), %.2f m ahead\n", emitter.x, emitter.y, emitter.z);
    EXPECT_LT(std::fabs(emitter.x), 1.0f);
    EXPECT_LT(std::fabs(emitter.y), 1.0f);
    EXPECT_TRUE(seesNode(first.eye, emitterPosition - aiVector3D(0, 0.3f, -0.62f), chimney));

    ViewFrame last(holdViews[3].eye, holdViews[3].direction);
    aiVector3D high = last.project(emitterPosition);
    std::printf("emitter at the P4 hold: ndc (%.3f, %.3f), %.2f m ahead\n", high.x, high.y, high.z);
    // The shaft's front face at mid height, a little below the top of the frame.
    aiVector3D shaftFront(emitterPosition.x, 6.3f, emitterPosition.z + 0.52f);
    aiVector3D ndc = last.project(shaftFront);
    EXPECT_LT(std::fabs(ndc.x), 1.0f);
    EXPECT_LT(std::fabs(ndc.y), 1.0f);
    EXPECT_TRUE(seesNode(last.eye, shaftFront, chimney));
}

TEST_F(SceneLayout, CirclingLightOrbitsClearOfCameraAndGeometry) {
    const aiNode* light = findNode("PointLight1");
    ASSERT_NE(light, nullptr);
    aiVector3D start = globalPosition(light);
    double radius = std::hypot(start.x, start.z);
    EXPECT_GT(radius, 2.0);
    EXPECT_LT(radius, 8.0);
    EXPECT_GT(start.y, 3.0f);
    EXPECT_LT(start.y, 11.0f);

    const float reach = 0.25f;  // bulb radius and a little air
    for (int step = 0; step < 72; ++step) {
        // The demo turns the node about its parent's Z axis: the world's vertical axis.
        double angle = step * 2 * 3.14159265358979 / 72;
        aiVector3D p(static_cast<float>(radius * std::cos(angle)), start.y,
                     static_cast<float>(radius * std::sin(angle)));
        for (int i = 0; i < 6; ++i)
            EXPECT_GT(distanceToSegment(p, pathPoints[i], pathPoints[(i + 1) % 6]), 0.6) << "orbit step " << step;
        for (const WorldMesh& mesh : worldMeshes()) {
            if (mesh.node == light || isSkyDome(mesh)) continue;
            EXPECT_FALSE(boxesOverlap(p - aiVector3D(reach, reach, reach), p + aiVector3D(reach, reach, reach),
                                      mesh.min, mesh.max))
                << "orbit step " << step << " runs into " << nodeName(mesh.node);
        }
    }
}
