// The planes of a view's frustum and boxes against them: in front, behind, beside each
// plane, across it, around the whole view, in a node's own space, and the six faces of a
// cube map each seeing what lies in its direction.
#include "envmap/TextureBoxRenderer.h"
#include "math/Frustum.h"
#include "scene/IScene.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Quessel;
using Side = Frustum::Side;

namespace {

Bounds box(const vec3& low, const vec3& high) {
    Bounds bounds;
    bounds.add(low);
    bounds.add(high);
    return bounds;
}

// A unit box (half-size `half`) around `centre`.
Bounds around(const vec3& centre, float half = 0.5f) { return box(centre - vec3(half), centre + vec3(half)); }

const char* name(Side side) {
    return side == Side::Inside ? "inside" : side == Side::Outside ? "outside" : "straddles";
}

// An eye at (10, -3, 4) looking down -z: 90° wide and high, near 1, far 100. At distance d
// in front, the view reaches d to either side.
const vec3 Eye(10.0f, -3.0f, 4.0f);
const mat4 ClipFromWorld =
    glm::perspective(glm::radians(90.0f), 1.0f, 1.0f, 100.0f) * glm::lookAt(Eye, Eye + vec3(0, 0, -1), vec3(0, 1, 0));

class NoScene : public IScene {
public:
    std::vector<SceneryObject*> getObjects(ObjectKind) override { return {}; }
    std::vector<aiNode*> getNodes(ObjectKind) override { return {}; }
    IRender* getRender() override { return nullptr; }
};

}  // namespace

TEST(Frustum, BoxesInFrontBehindBesideAndAcrossEachPlane) {
    struct Case {
        const char* what;
        Bounds box;  // relative to the eye
        Side side;
    };
    const Case cases[] = {
        {"in front", around({0, 0, -10}), Side::Inside},
        {"behind the eye", around({0, 0, 10}), Side::Outside},
        {"nearer than the near plane", box({-0.2f, -0.2f, -0.8f}, {0.2f, 0.2f, -0.1f}), Side::Outside},
        {"past the far plane", around({0, 0, -120}), Side::Outside},
        {"left of the view", around({-15, 0, -10}), Side::Outside},
        {"right of the view", around({15, 0, -10}), Side::Outside},
        {"below the view", around({0, -15, -10}), Side::Outside},
        {"above the view", around({0, 15, -10}), Side::Outside},
        {"across the left plane", around({-10, 0, -10}), Side::Straddles},
        {"across the right plane", around({10, 0, -10}), Side::Straddles},
        {"across the bottom plane", around({0, -10, -10}), Side::Straddles},
        {"across the top plane", around({0, 10, -10}), Side::Straddles},
        {"across the near plane", around({0, 0, -1}), Side::Straddles},
        {"across the far plane", around({0, 0, -100}), Side::Straddles},
        {"around the whole view", around({0, 0, 0}, 500.0f), Side::Straddles},
        // Beyond no single plane, yet outside (past the far left edge): a box that passes is
        // not always seen.
        {"past the edge of left and far", box({-110, -1, -105}, {-101, 1, -95}), Side::Straddles},
        {"touching the right plane from outside", box({20, -1, -20}, {21, 1, -19}), Side::Straddles},
        {"nothing in it", Bounds{}, Side::Straddles},
    };
    const Frustum frustum(ClipFromWorld);
    for (const Case& c : cases) {
        const Bounds placed = c.box.empty() ? c.box : box(Eye + c.box.min, Eye + c.box.max);
        const Side side = frustum.classify(placed);
        EXPECT_EQ(side, c.side) << c.what << ": " << name(side) << ", not " << name(c.side);
        EXPECT_EQ(frustum.sees(placed), c.side != Side::Outside) << c.what;
    }
}

TEST(Frustum, BoxesInANodesOwnSpaceTurnAndMoveWithIt) {
    // The node turns half round about y and stands 20 in front of the eye: its own -z
    // points back at the eye, its +z away, its +x to the eye's left.
    const mat4 model =
        glm::rotate(glm::translate(mat4(1.0f), Eye + vec3(0, 0, -20)), glm::radians(180.0f), vec3(0, 1, 0));
    const Frustum frustum(ClipFromWorld * model);
    EXPECT_EQ(frustum.classify(around({0, 0, 5})), Side::Inside);
    EXPECT_EQ(frustum.classify(around({0, 0, 50})), Side::Inside);
    EXPECT_EQ(frustum.classify(around({0, 0, -30})), Side::Outside);  // behind the eye
    EXPECT_EQ(frustum.classify(around({30, 0, 0})), Side::Outside);   // off to the eye's left
}

TEST(Frustum, NumbersPastWhatFloatsHoldNeverCullABox) {
    const float huge = std::numeric_limits<float>::max();
    const Frustum frustum(ClipFromWorld);
    EXPECT_TRUE(frustum.sees(box({-huge, -huge, -huge}, {huge, huge, huge})));
    EXPECT_TRUE(Frustum(ClipFromWorld * glm::scale(mat4(1.0f), vec3(1e30f))).sees(around({0, 0, 0}, 1e10f)));
    // A node scaled past them: its planes hold NaN, which says nothing.
    const float infinity = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(Frustum(ClipFromWorld * glm::scale(mat4(1.0f), vec3(infinity))).sees(around({0, 0, 50})));
}

TEST(Frustum, EachCubeFaceSeesWhatLiesInItsDirectionAlone) {
    NoScene scene;
    TextureBoxRenderer renderer(0, 0, 0, 0, 0, &scene, nullptr, {});
    const vec3 centre(3.0f, -2.0f, 7.0f);
    for (int face = 0; face < 6; ++face) {
        const Frustum frustum(renderer.faceProjection() * TextureBoxRenderer::faceView(face) *
                              glm::translate(mat4(1.0f), -centre));
        for (int toward = 0; toward < 6; ++toward) {
            const Bounds target = around(centre + 10.0f * TextureBoxRenderer::faceDirection(toward));
            EXPECT_EQ(frustum.sees(target), face == toward) << "face " << face << ", box toward " << toward;
        }
        // A box on the edge between +x and +y belongs to both of their faces.
        const bool edge = frustum.sees(around(centre + vec3(10, 10, 0)));
        EXPECT_EQ(edge, face == 0 || face == 2) << "face " << face << ", box on the +x/+y edge";
    }
}
