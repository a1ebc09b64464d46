#include "look/SurfaceMesh.h"

#include "core/GlConstants.h"
#include "look/SurfaceMaterial.h"
#include "look/SurfaceMaterialBlock.h"
#include "look/ToneCurve.h"
#include "look/VertexPacking.h"

#include <assimp/mesh.h>

#include <cstdint>
#include <utility>

namespace Quessel {

namespace {

GLuint attribute(const void* data, size_t bytes, GLuint location, GLint components, GLenum type = GL_FLOAT,
                 GLboolean normalized = GL_FALSE) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, components, type, normalized, 0, nullptr);
    return buffer;
}

// Normals, tangents and bitangents: the program reads three of the four components.
GLuint directions(const aiVector3D* vectors, unsigned count, GLuint location) {
    std::vector<uint32_t> packed(count);
    for (unsigned v = 0; v < count; ++v)
        packed[v] = VertexPacking::packDirection(vec3(vectors[v].x, vectors[v].y, vectors[v].z));
    return attribute(packed.data(), packed.size() * sizeof(uint32_t), location, 4, GL_INT_2_10_10_10_REV, GL_TRUE);
}

// Values all within [0, 1] in 16 bits, others as floats.
GLuint unitOrFloat(const std::vector<float>& values, GLuint location, GLint components) {
    if (!VertexPacking::allUnit(values.data(), values.size()))
        return attribute(values.data(), values.size() * sizeof(float), location, components);
    std::vector<uint16_t> packed(values.size());
    for (size_t i = 0; i < values.size(); ++i) packed[i] = VertexPacking::packUnit(values[i]);
    return attribute(packed.data(), packed.size() * sizeof(uint16_t), location, components, GL_UNSIGNED_SHORT, GL_TRUE);
}

std::vector<float> texCoords(const aiMesh& mesh, unsigned set) {
    std::vector<float> uv(static_cast<size_t>(mesh.mNumVertices) * 2);
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
        uv[2 * v] = mesh.mTextureCoords[set][v].x;
        uv[2 * v + 1] = mesh.mTextureCoords[set][v].y;
    }
    return uv;
}

std::vector<float> colors(const aiMesh& mesh, bool srgb) {
    std::vector<float> rgba(static_cast<size_t>(mesh.mNumVertices) * 4);
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
        const aiColor4D& c = mesh.mColors[0][v];
        const float channels[4] = {c.r, c.g, c.b, c.a};
        for (int i = 0; i < 4; ++i) rgba[4 * v + i] = srgb && i < 3 ? ToneCurve::decodeSrgb(channels[i]) : channels[i];
    }
    return rgba;
}

}  // namespace

SurfaceMesh::SurfaceMesh(const aiMesh& mesh, const SurfaceMaterial& material, size_t chunkTriangles) {
    std::vector<uint32_t> indices;
    indices.reserve(static_cast<size_t>(mesh.mNumFaces) * 3);
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices == 3) indices.insert(indices.end(), face.mIndices, face.mIndices + 3);
    }
    if (indices.empty() || !mesh.HasPositions()) return;
    indexCount = static_cast<GLsizei>(indices.size());
    std::vector<vec3> positions(mesh.mNumVertices);
    Bounds bounds;
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
        positions[v] = vec3(mesh.mVertices[v].x, mesh.mVertices[v].y, mesh.mVertices[v].z);
        bounds.add(positions[v]);
    }
    centre = bounds.centre();
    const bool blended = material.alpha == SurfaceMaterial::Alpha::Blend;
    chunks = TriangleChunks::split(positions, indices, blended ? indices.size() : chunkTriangles);

    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    GLuint elements = 0;
    glGenBuffers(1, &elements);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, elements);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint32_t)), indices.data(),
                 GL_STATIC_DRAW);
    buffers.push_back(elements);
    buffers.push_back(attribute(positions.data(), positions.size() * sizeof(vec3), AttributeLocation::Position, 3));
    if (mesh.HasNormals()) {
        buffers.push_back(directions(mesh.mNormals, mesh.mNumVertices, AttributeLocation::Normal));
        flags |= SurfaceMaterialBlock::Normals;
    }
    if (mesh.HasTangentsAndBitangents()) {
        buffers.push_back(directions(mesh.mTangents, mesh.mNumVertices, AttributeLocation::Tangent));
        buffers.push_back(directions(mesh.mBitangents, mesh.mNumVertices, AttributeLocation::Bitangent));
        flags |= SurfaceMaterialBlock::Tangents;
    }
    const std::pair<unsigned, GLuint> sets[] = {{0, AttributeLocation::TexCoord}, {1, AttributeLocation::TexCoord1}};
    for (const auto& [set, location] : sets) {
        if (!mesh.HasTextureCoords(set)) continue;
        buffers.push_back(unitOrFloat(texCoords(mesh, set), location, 2));
        flags |= set == 0 ? SurfaceMaterialBlock::TexCoords0 : SurfaceMaterialBlock::TexCoords1;
    }
    if (mesh.HasVertexColors(0)) {
        buffers.push_back(unitOrFloat(colors(mesh, material.vertexColorsSrgb), AttributeLocation::VertexColor, 4));
        flags |= SurfaceMaterialBlock::VertexColors;
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

SurfaceMesh::SurfaceMesh(SurfaceMesh&& other) noexcept
    : vertexArray(std::exchange(other.vertexArray, 0)),
      buffers(std::move(other.buffers)),
      indexCount(other.indexCount),
      centre(other.centre),
      flags(other.flags),
      chunks(std::move(other.chunks)) {
    other.buffers.clear();
}

SurfaceMesh::~SurfaceMesh() {
    if (vertexArray) glDeleteVertexArrays(1, &vertexArray);
    if (!buffers.empty()) glDeleteBuffers(static_cast<GLsizei>(buffers.size()), buffers.data());
}

}  // namespace Quessel
