#include "look/SurfaceDrawer.h"

#include "core/GlConstants.h"
#include "look/LookTextures.h"
#include "look/MaterialReader.h"
#include "look/SurfaceMaterialBlock.h"
#include "math/Frustum.h"

#include <assimp/scene.h>

#include <algorithm>
#include <cstdint>

namespace Quessel {

namespace {

constexpr GLintptr ProjectionOffset = 0;
constexpr GLintptr ModelOffset = 128;

// Assimp keeps rows one after another, GLM columns.
mat4 toMat4(const aiMatrix4x4& m) { return glm::transpose(glm::make_mat4(&m.a1)); }

const int MaterialUnits[5] = {TextureUnit::LookBaseColor, TextureUnit::LookMetallicRoughness, TextureUnit::LookNormal,
                              TextureUnit::LookOcclusion, TextureUnit::LookEmissive};

}  // namespace

SurfaceDrawer::SurfaceDrawer(const aiScene* scene, LookTextures& library, GLuint program, GLuint lightingBuffer,
                             GLuint specularMap)
    : scene(scene), program(program), lightingBuffer(lightingBuffer), specularMap(specularMap) {
    const unsigned count = scene ? scene->mNumMeshes : 0;
    for (unsigned i = 0; i < count; ++i) {
        const SurfaceMaterial material = MaterialReader::read(scene, i);
        surfaces.push_back(material);
        meshes.emplace_back(*scene->mMeshes[i], material);
        // Colour images decode from sRGB; data images are read as stored.
        const std::pair<const MaterialTexture*, bool> slots[5] = {{&material.baseColorTexture, true},
                                                                  {&material.metallicRoughnessTexture, false},
                                                                  {&material.normalTexture, false},
                                                                  {&material.occlusionTexture, false},
                                                                  {&material.emissiveTexture, true}};
        std::array<GLuint, 5> names{};
        int32_t loaded = 0;
        for (int slot = 0; slot < 5; ++slot) {
            if (!slots[slot].first->used()) continue;
            names[slot] = library.get(slots[slot].first->file, slots[slot].second);
            if (names[slot]) loaded |= 1 << slot;
        }
        textures.push_back(names);
        const SurfaceMaterialBlock block = SurfaceMaterialBlock::from(material, loaded, meshes.back().flags);
        GLuint buffer = 0;
        glGenBuffers(1, &buffer);
        glBindBuffer(GL_UNIFORM_BUFFER, buffer);
        glBufferData(GL_UNIFORM_BUFFER, sizeof(block), &block, GL_STATIC_DRAW);
        materialBuffers.push_back(buffer);
    }
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

SurfaceDrawer::~SurfaceDrawer() {
    if (!materialBuffers.empty()) glDeleteBuffers(static_cast<GLsizei>(materialBuffers.size()), materialBuffers.data());
}

void SurfaceDrawer::collect(const aiNode* node, const mat4& parent, const std::unordered_set<const aiNode*>* listed,
                            const mat4& view, std::vector<Item>& items) const {
    if (!node) return;
    const mat4 world = parent * toMat4(node->mTransformation);
    if (!listed || listed->count(node)) {
        for (unsigned i = 0; i < node->mNumMeshes; ++i) {
            const unsigned index = node->mMeshes[i];
            if (index >= meshes.size() || meshes[index].indexCount == 0) continue;
            const float depth = (view * world * vec4(meshes[index].centre, 1.0f)).z;
            items.push_back({index, world, depth});
        }
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i) collect(node->mChildren[i], world, listed, view, items);
}

void SurfaceDrawer::drawItem(const Item& item, GLuint matricesBuffer) {
    const SurfaceMaterial& material = surfaces[item.mesh];
    glBindBuffer(GL_UNIFORM_BUFFER, matricesBuffer);
    glBufferSubData(GL_UNIFORM_BUFFER, ModelOffset, sizeof(mat4), glm::value_ptr(item.world));
    glBindBufferRange(GL_UNIFORM_BUFFER, BlockBinding::SurfaceMaterial, materialBuffers[item.mesh], 0,
                      sizeof(SurfaceMaterialBlock));
    for (int slot = 0; slot < 5; ++slot) {
        if (!textures[item.mesh][slot]) continue;
        glActiveTexture(GL_TEXTURE0 + MaterialUnits[slot]);
        glBindTexture(GL_TEXTURE_2D, textures[item.mesh][slot]);
    }
    if (material.doubleSided) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
        // A mirrored node turns its triangles' winding around.
        glFrontFace(glm::determinant(glm::mat3(item.world)) < 0.0f ? GL_CW : GL_CCW);
    }
    const bool blended = material.alpha == SurfaceMaterial::Alpha::Blend;
    if (blended) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
    glDepthMask(blended ? GL_FALSE : GL_TRUE);
    glBindVertexArray(meshes[item.mesh].vertexArray);
    for (const auto& [first, count] : ranges)
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT,
                       reinterpret_cast<const void*>(static_cast<uintptr_t>(first) * sizeof(GLuint)));
}

void SurfaceDrawer::visibleRanges(const Item& item, const mat4& clipFromWorld, DrawStats& stats) {
    ranges.clear();
    const std::vector<TriangleChunks::Chunk>& chunks = meshes[item.mesh].chunks;
    // Tested in the mesh's own space, so its box turns and stretches with the node.
    const Frustum frustum(clipFromWorld * item.world);
    for (const TriangleChunks::Chunk& chunk : chunks) {
        if (culling && chunk.bounded && !frustum.sees(chunk.bounds)) continue;
        ++stats.drawn;
        const GLsizei count = static_cast<GLsizei>(chunk.indexCount);
        if (!ranges.empty() && ranges.back().first + static_cast<GLuint>(ranges.back().second) == chunk.firstIndex)
            ranges.back().second += count;
        else
            ranges.emplace_back(chunk.firstIndex, count);
    }
    stats.parts += chunks.size();
}

GLuint SurfaceDrawer::boundMatrices(mat4& projection, mat4& view) {
    GLint matrices = 0;
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, BlockBinding::Matrices, &matrices);
    if (!matrices) return 0;
    // The block's projection and view, one after the other.
    mat4 camera[2] = {mat4(1.0f), mat4(1.0f)};
    glBindBuffer(GL_UNIFORM_BUFFER, static_cast<GLuint>(matrices));
    glGetBufferSubData(GL_UNIFORM_BUFFER, ProjectionOffset, sizeof(camera), camera);
    projection = camera[0];
    view = camera[1];
    return static_cast<GLuint>(matrices);
}

void SurfaceDrawer::drawPositions() {
    mat4 projection, view;
    const GLuint matrices = boundMatrices(projection, view);
    if (!scene || !matrices) return;
    std::vector<Item> items;
    collect(scene->mRootNode, mat4(1.0f), nullptr, view, items);
    // The counts are of the look's own views.
    DrawStats uncounted;
    for (const Item& item : items) {
        visibleRanges(item, projection * view, uncounted);
        if (ranges.empty()) continue;
        glBufferSubData(GL_UNIFORM_BUFFER, ModelOffset, sizeof(mat4), glm::value_ptr(item.world));
        glBindVertexArray(meshes[item.mesh].vertexArray);
        for (const auto& [first, count] : ranges)
            glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT,
                           reinterpret_cast<const void*>(static_cast<uintptr_t>(first) * sizeof(GLuint)));
    }
    glBindVertexArray(0);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

void SurfaceDrawer::draw(const std::vector<aiNode*>& nodes) {
    order.clear();
    last = DrawStats{};
    mat4 projection, view;
    const GLuint matrices = boundMatrices(projection, view);
    if (!scene || !matrices) return;
    const mat4 clipFromWorld = projection * view;
    last.views = 1;

    std::vector<Item> items;
    const std::unordered_set<const aiNode*> listed(nodes.begin(), nodes.end());
    collect(scene->mRootNode, mat4(1.0f), &listed, view, items);
    // Opaque and masked first as found; blended ones after them, the farthest first.
    std::stable_sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        const bool aBlended = surfaces[a.mesh].alpha == SurfaceMaterial::Alpha::Blend;
        const bool bBlended = surfaces[b.mesh].alpha == SurfaceMaterial::Alpha::Blend;
        if (aBlended != bBlended) return !aBlended;
        return aBlended && a.depth < b.depth;
    });

    GLint previousProgram = 0;
    GLint previousUnit = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previousProgram);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &previousUnit);
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    const GLboolean blend = glIsEnabled(GL_BLEND);
    glUseProgram(program);
    glBindBufferBase(GL_UNIFORM_BUFFER, BlockBinding::Lighting, lightingBuffer);
    glActiveTexture(GL_TEXTURE0 + TextureUnit::LookSpecular);
    glBindTexture(GL_TEXTURE_CUBE_MAP, specularMap);
    glEnable(GL_DEPTH_TEST);
    for (const Item& item : items) {
        visibleRanges(item, clipFromWorld, last);
        if (ranges.empty()) continue;
        drawItem(item, matrices);
        order.push_back(item.mesh);
    }
    sum += last;

    glBindVertexArray(0);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    if (!blend) glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glDepthMask(GL_TRUE);
    if (!depthTest) glDisable(GL_DEPTH_TEST);
    glActiveTexture(static_cast<GLenum>(previousUnit));
    glUseProgram(static_cast<GLuint>(previousProgram));
}

}  // namespace Quessel
