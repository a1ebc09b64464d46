#pragma once

// Shared access to the generated scene for the content tests: the scene imported once the
// way the demo imports it, world-space meshes, a ray caster and the camera path's data.

#include "PathScript.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/Importer.hpp>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace Quessel::Test {

inline const std::string runDir = QUESSEL_RUN_DIR;
inline const std::string modelDir = QUESSEL_MODEL_DIR;
inline const std::string scenePath = modelDir + "/test3.dae";

inline const aiScene* scene() {
    static Assimp::Importer importer;
    static const aiScene* imported = importer.ReadFile(scenePath, aiProcessPreset_TargetRealtime_Quality);
    return imported;
}

inline std::string nodeName(const aiNode* node) { return node->mName.C_Str(); }

inline void collectNodes(const aiNode* node, std::vector<const aiNode*>& out) {
    out.push_back(node);
    for (unsigned i = 0; i < node->mNumChildren; ++i) collectNodes(node->mChildren[i], out);
}

inline std::vector<const aiNode*> allNodes() {
    std::vector<const aiNode*> nodes;
    if (scene()) collectNodes(scene()->mRootNode, nodes);
    return nodes;
}

inline const aiNode* findNode(const std::string& name) {
    for (const aiNode* node : allNodes())
        if (nodeName(node) == name) return node;
    return nullptr;
}

inline aiMatrix4x4 globalTransform(const aiNode* node) {
    aiMatrix4x4 m;
    for (; node; node = node->mParent) m = node->mTransformation * m;
    return m;
}

inline aiVector3D globalPosition(const aiNode* node) {
    aiMatrix4x4 m = globalTransform(node);
    return {m.a4, m.b4, m.c4};
}

struct WorldMesh {
    const aiNode* node = nullptr;
    unsigned meshIndex = 0;
    std::vector<aiVector3D> vertices;  // world space
    std::vector<unsigned> indices;
    aiVector3D min, max;
};

inline std::vector<WorldMesh> buildWorldMeshes() {
    std::vector<WorldMesh> out;
    for (const aiNode* node : allNodes()) {
        aiMatrix4x4 m = globalTransform(node);
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            const aiMesh* mesh = scene()->mMeshes[node->mMeshes[i]];
            WorldMesh w;
            w.node = node;
            w.meshIndex = node->mMeshes[i];
            w.min = aiVector3D(1e30f, 1e30f, 1e30f);
            w.max = aiVector3D(-1e30f, -1e30f, -1e30f);
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                aiVector3D p = m * mesh->mVertices[v];
                w.vertices.push_back(p);
                w.min = aiVector3D(std::fmin(w.min.x, p.x), std::fmin(w.min.y, p.y), std::fmin(w.min.z, p.z));
                w.max = aiVector3D(std::fmax(w.max.x, p.x), std::fmax(w.max.y, p.y), std::fmax(w.max.z, p.z));
            }
            for (unsigned f = 0; f < mesh->mNumFaces; ++f)
                if (mesh->mFaces[f].mNumIndices == 3)
                    for (unsigned k = 0; k < 3; ++k) w.indices.push_back(mesh->mFaces[f].mIndices[k]);
            out.push_back(std::move(w));
        }
    }
    return out;
}

inline const std::vector<WorldMesh>& worldMeshes() {
    static const std::vector<WorldMesh> meshes = scene() ? buildWorldMeshes() : std::vector<WorldMesh>{};
    return meshes;
}

// The sky dome arches over everything, so its bounding box holds the whole scene: box
// clearance checks skip it, and its own tests check how far it keeps from the courtyard.
inline const std::string skyDomeName = "SkyDome";
inline const aiVector3D skyDomeCentre{0.5f, 0.0f, 6.5f};
inline constexpr float skyDomeRadius = 80.0f;

inline bool isSkyDome(const WorldMesh& mesh) { return nodeName(mesh.node) == skyDomeName; }
// The dome's texture: the sky unrolled over its texture coordinates (not a tiling surface).
inline const std::string skyTextureName = "sky.png";

// Slab test of the segment a + t (b - a), t in [0, 1], against a box grown by `margin`.
inline bool segmentHitsBox(const aiVector3D& a, const aiVector3D& b, aiVector3D lo, aiVector3D hi, float margin) {
    lo -= aiVector3D(margin, margin, margin);
    hi += aiVector3D(margin, margin, margin);
    double t0 = 0, t1 = 1;
    for (int axis = 0; axis < 3; ++axis) {
        double o = a[axis], d = b[axis] - a[axis];
        if (std::fabs(d) < 1e-12) {
            if (o < lo[axis] || o > hi[axis]) return false;
            continue;
        }
        double ta = (lo[axis] - o) / d, tb = (hi[axis] - o) / d;
        if (ta > tb) std::swap(ta, tb);
        t0 = std::fmax(t0, ta);
        t1 = std::fmin(t1, tb);
        if (t0 > t1) return false;
    }
    return true;
}

struct Hit {
    double distance;
    const WorldMesh* mesh;
};

// Nearest triangle hit along the unit direction dir (Moeller-Trumbore, both faces count).
inline std::optional<Hit> castRay(const aiVector3D& origin, const aiVector3D& dir, double maxDistance = 1e9) {
    std::optional<Hit> best;
    aiVector3D end = origin + dir * static_cast<float>(std::fmin(maxDistance, 1e4));
    for (const WorldMesh& mesh : worldMeshes()) {
        if (!segmentHitsBox(origin, end, mesh.min, mesh.max, 1e-3f)) continue;
        for (size_t i = 0; i + 2 < mesh.indices.size(); i += 3) {
            const aiVector3D& v0 = mesh.vertices[mesh.indices[i]];
            aiVector3D e1 = mesh.vertices[mesh.indices[i + 1]] - v0;
            aiVector3D e2 = mesh.vertices[mesh.indices[i + 2]] - v0;
            aiVector3D p = dir ^ e2;
            double det = e1 * p;
            if (std::fabs(det) < 1e-12) continue;
            aiVector3D s = origin - v0;
            double u = (s * p) / det;
            if (u < 0 || u > 1) continue;
            aiVector3D q = s ^ e1;
            double v = (dir * q) / det;
            if (v < 0 || u + v > 1) continue;
            double t = (e2 * q) / det;
            if (t > 1e-6 && t < maxDistance && (!best || t < best->distance)) best = Hit{t, &mesh};
        }
    }
    return best;
}

// The demo's fly-through: points, hold views and projection.
inline aiVector3D ai(const Quessel::vec3& v) { return {v.x, v.y, v.z}; }
inline const aiVector3D pathPoints[6] = {ai(PathScript::points[0]), ai(PathScript::points[1]),
                                         ai(PathScript::points[2]), ai(PathScript::points[3]),
                                         ai(PathScript::points[4]), ai(PathScript::points[5])};

struct HoldView {
    const char* name;
    aiVector3D eye;
    aiVector3D direction;
};

inline const HoldView holdViews[4] = {
    {"P1 along V0", pathPoints[1], ai(PathScript::directions[0])},
    {"P2 along V2", pathPoints[2], ai(PathScript::directions[2])},
    {"P2 along V3", pathPoints[2], ai(PathScript::directions[3])},
    {"P4 along V5", pathPoints[4], ai(PathScript::directions[5])},
};

inline const aiVector3D emitterPosition{-4.05726f, 7.54f, -5.16352f};

// Camera frame of lookAt with up (0, 1, 0), fovy 2 x 0.5236 rad, aspect 1280 / 768.
struct ViewFrame {
    aiVector3D eye, forward, right, up;
    double tanHalfY = std::tan(0.5236), aspect = 1280.0 / 768.0;

    ViewFrame(const aiVector3D& eyeIn, const aiVector3D& direction) : eye(eyeIn) {
        forward = direction;
        forward.Normalize();
        right = forward ^ aiVector3D(0, 1, 0);
        right.Normalize();
        up = right ^ forward;
    }

    // Ray through normalised device coordinates (x, y) in [-1, 1].
    aiVector3D ray(double x, double y) const {
        aiVector3D d =
            forward + right * static_cast<float>(x * tanHalfY * aspect) + up * static_cast<float>(y * tanHalfY);
        return d.Normalize();
    }

    // Normalised device coordinates of a point and its depth along the view.
    aiVector3D project(const aiVector3D& p) const {
        aiVector3D d = p - eye;
        double z = d * forward;
        return {static_cast<float>((d * right) / z / (tanHalfY * aspect)), static_cast<float>((d * up) / z / tanHalfY),
                static_cast<float>(z)};
    }
};

}  // namespace Quessel::Test
