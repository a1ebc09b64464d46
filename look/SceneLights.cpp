#include "look/SceneLights.h"

#include "look/FormatRule.h"

#include <assimp/scene.h>

#include <algorithm>
#include <cmath>

namespace Quessel {

namespace {

constexpr float Pi = 3.14159265f;

// The node's transformation from its own space to the world's.
aiMatrix4x4 worldOf(const aiNode* node) {
    aiMatrix4x4 world;
    for (; node; node = node->mParent) world = node->mTransformation * world;
    return world;
}

vec3 toVec3(const aiVector3D& v) { return {v.x, v.y, v.z}; }

}  // namespace

std::vector<PunctualLight> SceneLights::read(const aiScene* scene, const FormatRule& rule,
                                             std::vector<std::string>* notes) {
    std::vector<PunctualLight> lights;
    if (!scene) return lights;
    for (unsigned i = 0; i < scene->mNumLights; ++i) {
        const aiLight* source = scene->mLights[i];
        if (!source || source->mType == aiLightSource_AMBIENT || source->mType == aiLightSource_UNDEFINED) continue;
        if (static_cast<int>(lights.size()) == Max) {
            if (notes) notes->push_back(std::string("light ") + source->mName.C_Str() + " left out: at most " +
                                        std::to_string(Max) + " lights shine");
            continue;
        }
        PunctualLight light;
        light.name = source->mName.C_Str();
        const aiNode* node = scene->mRootNode ? scene->mRootNode->FindNode(source->mName) : nullptr;
        const aiMatrix4x4 world = node ? worldOf(node) : aiMatrix4x4();
        light.position = toVec3(world * source->mPosition);
        const aiVector3D direction = aiMatrix3x3(world) * source->mDirection;
        light.direction = direction.Length() > 0.0f ? glm::normalize(toVec3(direction)) : vec3(0.0f, 0.0f, -1.0f);
        const vec3 color(source->mColorDiffuse.r, source->mColorDiffuse.g, source->mColorDiffuse.b);
        light.color = rule.physicalLights ? color : color * Pi;
        light.falloff = vec3(source->mAttenuationConstant, source->mAttenuationLinear, source->mAttenuationQuadratic);
        if (light.falloff == vec3(0.0f)) light.falloff = vec3(1.0f, 0.0f, 0.0f);
        switch (source->mType) {
        case aiLightSource_DIRECTIONAL:
            light.type = PunctualLight::Type::Directional;
            light.falloff = vec3(1.0f, 0.0f, 0.0f);
            break;
        case aiLightSource_SPOT: {
            light.type = PunctualLight::Type::Spot;
            const float scale = rule.halfConeAngles ? 1.0f : 0.5f;
            const float outer = std::clamp(source->mAngleOuterCone * scale, 0.0f, Pi / 2.0f);
            const float inner = std::clamp(source->mAngleInnerCone * scale, 0.0f, outer);
            light.outerCos = std::cos(outer);
            light.innerCos = std::cos(inner);
            break;
        }
        default: light.type = PunctualLight::Type::Point; break;
        }
        lights.push_back(light);
    }
    return lights;
}

PunctualLight SceneLights::key(float angle) {
    PunctualLight light;
    light.name = "key light";
    const float elevation = 40.0f * Pi / 180.0f;
    const vec3 towards(std::cos(elevation) * std::sin(angle), std::sin(elevation), std::cos(elevation) * std::cos(angle));
    light.direction = -towards;
    light.color = vec3(KeyIrradiance);
    return light;
}

}  // namespace Quessel
