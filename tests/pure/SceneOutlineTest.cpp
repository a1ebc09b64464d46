// What the study tool lists of a scene and where it takes the camera: the node tree with
// its triangles, materials and roles; the file's cameras through their nodes, in glTF's and
// COLLADA's conventions; aimed path rows that keep their target in view all the way.
#include "TestScene.h"

#include "fit/FileCameras.h"
#include "fit/NodeTree.h"
#include "math/Camera.h"
#include "paths/CameraPath.h"
#include "study/PathDraft.h"
#include "study/StudyFacts.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

using namespace Quessel;

namespace {
// Two triangles under a parent turned a quarter round +Y and moved, a camera beside them
// turned a quarter round +Y (glTF cameras look along -Z of their node).
const char* const Gltf = R"({
 "asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [0, 3]}],
 "nodes": [{"name": "Parent", "children": [1, 2], "translation": [10, 0, 0], "rotation": [0, 0.7071068, 0, 0.7071068]},
           {"name": "Left", "mesh": 0}, {"name": "Right", "mesh": 1},
           {"name": "Eye", "camera": 0, "translation": [0, 2, 5], "rotation": [0, 0.7071068, 0, 0.7071068]}],
 "cameras": [{"type": "perspective", "perspective": {"yfov": 0.8, "aspectRatio": 1.5, "znear": 0.1}}],
 "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "material": 0}]},
            {"primitives": [{"attributes": {"POSITION": 0}, "material": 1}]}],
 "materials": [{"name": "Paint"}, {"name": "Chrome"}],
 "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3",
                "min": [0, 0, 0], "max": [1, 1, 0]}],
 "bufferViews": [{"buffer": 0, "byteLength": 36}],
 "buffers": [{"byteLength": 36, "uri": "data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA"}]
})";

// A COLLADA camera at (0, 0, 10) turned half round +Y: it looks along +Z, up +Y.
const char* const Collada = R"(<?xml version="1.0"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
 <asset><up_axis>Y_UP</up_axis></asset>
 <library_cameras><camera id="cam" name="cam"><optics><technique_common><perspective>
  <xfov>60</xfov><aspect_ratio>1</aspect_ratio><znear>0.1</znear><zfar>100</zfar>
 </perspective></technique_common></optics></camera></library_cameras>
 <library_visual_scenes><visual_scene id="scene">
  <node id="Shot" name="Shot"><translate>0 0 10</translate><rotate>0 1 0 180</rotate>
   <instance_camera url="#cam"/></node>
 </visual_scene></library_visual_scenes>
 <scene><instance_visual_scene url="#scene"/></scene>
</COLLADA>)";

const aiScene* read(Assimp::Importer& importer, const Quessel::Test::ScratchDir& dir, const char* name, const char* text) {
    const std::string path = (dir.path / name).string();
    std::ofstream(path) << text;
    return importer.ReadFile(path, aiProcess_Triangulate);
}
}  // namespace

TEST(SceneOutline, TheNodeTreeNamesTrianglesMaterialsAndRoles) {
    const Quessel::Test::ScratchDir dir;
    Assimp::Importer importer;
    const aiScene* scene = read(importer, dir, "scene.gltf", Gltf);
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    const std::vector<NodeRow> rows = NodeTree::of(scene, {"Right"}, {"Left"});
    std::vector<std::string> seen;
    for (const NodeRow& row : rows)
        if (row.name == "Left" || row.name == "Right") {
            EXPECT_EQ(row.depth, 2) << row.name;
            EXPECT_EQ(row.triangles, 1u) << row.name;
        }
    const std::string text = NodeTree::text(rows);
    EXPECT_NE(text.find("    \"Left\"  1 triangle  Paint  (glass)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    \"Right\"  1 triangle  Chrome  (mirror)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  \"Parent\"\n"), std::string::npos) << text;
}

TEST(SceneOutline, FileCamerasStandAndLookWhereTheirNodesPutThem) {
    const Quessel::Test::ScratchDir dir;
    const struct {
        const char* name;
        const char* text;
        const char* camera;
        vec3 position;
        vec3 direction;
        float verticalFov;
    } rows[] = {
        // A quarter round +Y turns -Z into -X.
        // Assimp gives glTF's horizontal angle as its vertical one (0.8) times the aspect.
        {"scene.gltf", Gltf, "Eye", {0, 2, 5}, {-1, 0, 0}, 2.0f * std::atan(std::tan(0.6f) / 1.5f)},
        {"scene.dae", Collada, "Shot", {0, 0, 10}, {0, 0, 1}, 1.0471976f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Assimp::Importer importer;
        const aiScene* scene = read(importer, dir, row.name, row.text);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        const std::vector<FileCamera> cameras = FileCameras::of(scene);
        ASSERT_EQ(cameras.size(), 1u);
        EXPECT_EQ(cameras[0].name, row.camera);
        EXPECT_LT(glm::distance(cameras[0].position, row.position), 1e-4f);
        EXPECT_LT(glm::distance(cameras[0].direction, row.direction), 1e-4f);
        EXPECT_LT(glm::distance(cameras[0].up, vec3(0, 1, 0)), 1e-4f);
        EXPECT_NEAR(cameras[0].verticalFov, row.verticalFov, 1e-3f);
    }
}

TEST(SceneOutline, AimedRowsKeepTheirTargetInViewAllTheWay) {
    const vec3 target(1, 0.5f, -2);
    Study::PathDraft draft;
    // Round the target, as a user flies round a model pressing L.
    for (int k = 0; k < 6; ++k) {
        const float angle = 1.1f * static_cast<float>(k);
        const vec3 at = target + vec3(6 * std::sin(angle), 2, 6 * std::cos(angle));
        draft.addAimedView({at, glm::normalize(vec3(1, 0, 0)), mat4(1.0f)}, target);
    }
    const CameraPath::Script script = draft.script();
    ASSERT_GE(script.rows.size(), 5u);
    Camera camera;
    CameraPath path(camera, script);
    path.start();
    float worst = 1.0f;
    for (int frame = 0; frame < static_cast<int>(script.seconds() * 30.0) + 30; ++frame) {
        path.advance(1.0f / 30.0f);
        const mat4 eye = glm::inverse(camera.view);
        const vec3 looking = -glm::normalize(vec3(eye[2]));
        worst = std::min(worst, glm::dot(looking, glm::normalize(target - vec3(eye[3]))));
    }
    // Within the turns towards it, at most a few degrees off; on the moves, straight at it.
    EXPECT_GT(worst, std::cos(0.05f));
}

// How long a recorded lap lasts, as the overlay says it: each row ends on a frame boundary.
TEST(SceneOutline, ALapLastsWholeFramesPerRowLongerAtLowRates) {
    CameraPath::Script holds;
    for (int i = 0; i < 4; ++i) holds.add(CameraPath::Kind::Hold, 0.55f);
    EXPECT_EQ(Study::StudyFacts::lapLength(holds),
              "a lap: 2.20 s of rows; recorded at 30 fps 68 frames, 2.27 s; recorded at 10 fps 24 frames, 2.40 s");
    EXPECT_NE(Study::StudyFacts::lapLength(CameraPath::Script::demo()).find("recorded at 30 fps 1501 frames"),
              std::string::npos);
}
