#include "study/MeshPick.h"

#include "look/SurfaceMaterial.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>

namespace Quessel::Study {

MeshPick::Ray MeshPick::through(const mat4& projection, const mat4& view, double x, double y, int width, int height) {
    const float ndcX = static_cast<float>(2.0 * (x + 0.5) / width - 1.0);
    const float ndcY = static_cast<float>(1.0 - 2.0 * (y + 0.5) / height);
    const mat4 back = glm::inverse(projection * view);
    const vec4 nearPoint = back * vec4(ndcX, ndcY, -1.0f, 1.0f);
    const vec4 farPoint = back * vec4(ndcX, ndcY, 1.0f, 1.0f);
    const vec3 from = vec3(nearPoint) / nearPoint.w;
    const vec3 to = vec3(farPoint) / farPoint.w;
    return {from, glm::normalize(to - from)};
}

int MeshPick::nearest(const std::vector<MeshPlace>& meshes, const Ray& ray) {
    int found = -1;
    float best = std::numeric_limits<float>::infinity();
    for (size_t i = 0; i < meshes.size(); ++i) {
        // The slab test: where the ray is inside all three pairs of planes at once.
        float enter = 0.0f;
        float leave = std::numeric_limits<float>::infinity();
        for (int axis = 0; axis < 3 && enter <= leave; ++axis) {
            const float inverse = 1.0f / ray.direction[axis];
            float a = (meshes[i].box.min[axis] - ray.origin[axis]) * inverse;
            float b = (meshes[i].box.max[axis] - ray.origin[axis]) * inverse;
            if (a > b) std::swap(a, b);
            // A ray along the planes of a flat box: inside when between them.
            if (std::isnan(a) || std::isnan(b)) continue;
            enter = std::max(enter, a);
            leave = std::min(leave, b);
        }
        if (enter <= leave && enter < best) {
            best = enter;
            found = static_cast<int>(i);
        }
    }
    return found;
}

std::string MeshPick::describe(const MeshPlace& place, const SurfaceMaterial& m) {
    using Alpha = SurfaceMaterial::Alpha;
    const std::string alpha = m.alpha == Alpha::Opaque ? "opaque"
                              : m.alpha == Alpha::Mask ? fmt::format("mask {:.2f}", m.alphaCutoff)
                                                       : "blend";
    std::string textures;
    for (const auto& [label, texture] : {std::pair{"base", &m.baseColorTexture},
                                         {"metal-rough", &m.metallicRoughnessTexture},
                                         {"normal", &m.normalTexture},
                                         {"occlusion", &m.occlusionTexture},
                                         {"emissive", &m.emissiveTexture}})
        if (texture->used()) textures += fmt::format(", {} {} (UV{})", label, texture->file, texture->uvSet);
    return fmt::format("\"{}\" mesh {}: {}base ({:.2f}, {:.2f}, {:.2f}, {:.2f}), metallic {:.2f}, roughness {:.2f}, "
                       "emissive ({:.2f}, {:.2f}, {:.2f}), {}{}{}{}",
                       place.node, place.mesh, m.neutral ? "no material of its own: " : "\"" + m.name + "\" ",
                       m.baseColor.r, m.baseColor.g, m.baseColor.b, m.baseColor.a, m.metallic, m.roughness,
                       m.emissive.r, m.emissive.g, m.emissive.b, alpha, m.doubleSided ? ", double-sided" : "",
                       m.vertexColors ? ", vertex colours" : "", textures);
}

}  // namespace Quessel::Study
