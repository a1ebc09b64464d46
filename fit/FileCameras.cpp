#include "fit/FileCameras.h"

#include <assimp/scene.h>

#include <cmath>

namespace Quessel {

namespace {
vec3 toVec(const aiVector3D& v) { return vec3(v.x, v.y, v.z); }
}  // namespace

std::vector<FileCamera> FileCameras::of(const aiScene* scene) {
    std::vector<FileCamera> cameras;
    if (!scene || !scene->mRootNode) return cameras;
    for (unsigned i = 0; i < scene->mNumCameras; ++i) {
        const aiCamera* camera = scene->mCameras[i];
        const aiNode* node = scene->mRootNode->FindNode(camera->mName);
        if (!node) continue;
        aiMatrix4x4 world = node->mTransformation;
        for (const aiNode* parent = node->mParent; parent; parent = parent->mParent)
            world = parent->mTransformation * world;
        aiMatrix3x3 turn(world);
        FileCamera seen;
        seen.name = camera->mName.C_Str();
        // Assimp's glTF importer gives the node's translation as the camera's position too:
        // counted once, through the node.
        const aiMatrix4x4& own = node->mTransformation;
        const bool twice = (aiVector3D(own.a4, own.b4, own.c4) - camera->mPosition).Length() < 1e-6f;
        seen.position = toVec(world * (twice ? aiVector3D() : camera->mPosition));
        const vec3 direction = toVec(turn * camera->mLookAt);
        const vec3 up = toVec(turn * camera->mUp);
        if (glm::length(direction) > 0.0f) seen.direction = glm::normalize(direction);
        if (glm::length(up) > 0.0f) seen.up = glm::normalize(up);
        // Assimp gives the whole horizontal angle (glTF's as its vertical one times the
        // aspect) and the width over the height.
        if (camera->mHorizontalFOV > 0.0f && camera->mAspect > 0.0f)
            seen.verticalFov = 2.0f * std::atan(std::tan(camera->mHorizontalFOV / 2.0f) / camera->mAspect);
        cameras.push_back(seen);
    }
    return cameras;
}

}  // namespace Quessel
