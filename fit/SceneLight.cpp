#include "fit/SceneLight.h"

#include "scene/LightRecord.h"
#include "scene/NodeQuery.h"

#include <assimp/scene.h>
#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace Quessel {

namespace {
// Falloff that leaves half the light at a distance: 1 + 0.01 x + 0.01 x^2 = 2.
constexpr float HalfAtFarSide = 9.51f;
// A directional light stands this many scene radii off.
constexpr float DistantRadii = 10.0f;

aiMatrix4x4 globalTransform(const aiNode* node) {
    aiMatrix4x4 result;
    for (; node; node = node->mParent) result = node->mTransformation * result;
    return result;
}

vec3 toVec3(const aiVector3D& v) { return vec3(v.x, v.y, v.z); }

// Brightest channel 1: Assimp reports some formats' colours times their power.
vec3 normalised(const aiColor3D& c) {
    const float brightest = std::max({c.r, c.g, c.b});
    if (!(brightest > 0.0f) || !std::isfinite(brightest)) return vec3(1.0f);
    return vec3(c.r, c.g, c.b) / brightest;
}

const char* kindName(SceneLight::Kind kind) {
    switch (kind) {
    case SceneLight::Kind::Point: return "point";
    case SceneLight::Kind::Spot: return "spot";
    case SceneLight::Kind::Directional: return "directional";
    case SceneLight::Kind::Circling: break;
    }
    return "circling";
}
}  // namespace

SceneLight::SceneLight(const aiScene* scene, const Bounds& bounds) : angle(StartAngle), bounds(bounds) {
    for (unsigned i = 0; scene && i < scene->mNumLights; ++i) {
        const aiLight* light = scene->mLights[i];
        if (light->mType != aiLightSource_POINT && light->mType != aiLightSource_SPOT &&
            light->mType != aiLightSource_DIRECTIONAL)
            continue;
        kind = light->mType == aiLightSource_POINT  ? Kind::Point
               : light->mType == aiLightSource_SPOT ? Kind::Spot
                                                    : Kind::Directional;
        name = light->mName.C_Str();
        colour = normalised(light->mColorDiffuse);
        // A light's position and direction are in the frame of the node of its name.
        const aiNode* node = NodeQuery::find(scene->mRootNode, light->mName.C_Str());
        const aiMatrix4x4 transform = node ? globalTransform(node) : aiMatrix4x4();
        origin = toVec3(transform * light->mPosition);
        const vec3 pointing = toVec3(aiMatrix3x3(transform) * light->mDirection);
        if (glm::length(pointing) > 0.0f && std::isfinite(glm::length(pointing))) direction = glm::normalize(pointing);
        return;
    }
}

vec3 SceneLight::position() const {
    const float radius = std::max(bounds.radius(), 1e-6f);
    switch (kind) {
    case Kind::Point:
    case Kind::Spot: return origin;
    case Kind::Directional: return bounds.centre() - direction * (DistantRadii * radius);
    case Kind::Circling: break;
    }
    // Above the top and outside the scene's round, so the sides facing it are lit too.
    const vec3 centre = bounds.centre();
    const float orbit = 1.2f * radius;
    return vec3(centre.x + orbit * static_cast<float>(std::cos(angle)), bounds.max.y + 0.6f * radius,
                centre.z + orbit * static_cast<float>(std::sin(angle)));
}

float SceneLight::falloffScale() const {
    if (kind == Kind::Directional) return 0.0f;
    // Half the light still reaches the far side of the scene.
    const float farthest = glm::distance(position(), bounds.centre()) + bounds.radius();
    return HalfAtFarSide / std::max(farthest, 1e-6f);
}

void SceneLight::update(double dt, LightRecord& record) {
    if (kind == Kind::Circling) angle += TurnRate * dt;
    record.setInWorld(position(), colour, falloffScale());
}

std::string SceneLight::describe(const Placement& placement) const {
    if (kind == Kind::Circling) return "a light circling above the scene (it has none of its own)";
    const vec3 at = kind == Kind::Directional ? direction : placement.toScene(origin);
    return fmt::format("the scene's {} light \"{}\" {} ({:.3g}, {:.3g}, {:.3g})", kindName(kind), name,
                       kind == Kind::Directional ? "shining along" : "at", at.x, at.y, at.z);
}

}  // namespace Quessel
