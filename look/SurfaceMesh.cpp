#include "look/SurfaceMesh.h"

#include "core/GlConstants.h"
#include "look/SurfaceMaterial.h"
#include "look/SurfaceMaterialBlock.h"
#include "look/ToneCurve.h"
#include "math/Bounds.h"

#include <assimp/mesh.h>

#include <utility>

namespace Quessel {

namespace {

GLuint attribute(const void* data, size_t bytes, GLuint location, GLint components) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, 0, nullptr);
    return buffer;
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

SurfaceMesh::SurfaceMesh(const aiMesh& mesh, const SurfaceMaterial& material) {
    std::vector<GLuint> indices;
    indices.reserve(static_cast<size_t>(mesh.mNumFaces) * 3);
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices == 3) indices.insert(indices.end(), face.mIndices, face.mIndices + 3);
    }
    if (indices.empty() || !mesh.HasPositions()) return;
    indexCount = static_cast<GLsizei>(indices.size());
    Bounds bounds;
    for (unsigned v = 0; v < mesh.mNumVertices; ++v)
        bounds.add(vec3(mesh.mVertices[v].x, mesh.mVertices[v].y, mesh.mVertices[v].z));
    centre = bounds.centre();

    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    GLuint elements = 0;
    glGenBuffers(1, &elements);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, elements);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)), indices.data(),
                 GL_STATIC_DRAW);
    buffers.push_back(elements);
    const size_t vec3Bytes = static_cast<size_t>(mesh.mNumVertices) * sizeof(aiVector3D);
    buffers.push_back(attribute(mesh.mVertices, vec3Bytes, AttributeLocation::Position, 3));
    if (mesh.HasNormals()) {
        buffers.push_back(attribute(mesh.mNormals, vec3Bytes, AttributeLocation::Normal, 3));
        flags |= SurfaceMaterialBlock::Normals;
    }
    if (mesh.HasTangentsAndBitangents()) {
        buffers.push_back(attribute(mesh.mTangents, vec3Bytes, AttributeLocation::Tangent, 3));
        buffers.push_back(attribute(mesh.mBitangents, vec3Bytes, AttributeLocation::Bitangent, 3));
        flags |= SurfaceMaterialBlock::Tangents;
    }
    const std::pair<unsigned, GLuint> sets[] = {{0, AttributeLocation::TexCoord}, {1, AttributeLocation::TexCoord1}};
    for (const auto& [set, location] : sets) {
        if (!mesh.HasTextureCoords(set)) continue;
        const std::vector<float> uv = texCoords(mesh, set);
        buffers.push_back(attribute(uv.data(), uv.size() * sizeof(float), location, 2));
        flags |= set == 0 ? SurfaceMaterialBlock::TexCoords0 : SurfaceMaterialBlock::TexCoords1;
    }
    if (mesh.HasVertexColors(0)) {
        const std::vector<float> rgba = colors(mesh, material.vertexColorsSrgb);
        buffers.push_back(attribute(rgba.data(), rgba.size() * sizeof(float), AttributeLocation::VertexColor, 4));
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
      flags(other.flags) {
    other.buffers.clear();
}

SurfaceMesh::~SurfaceMesh() {
    if (vertexArray) glDeleteVertexArrays(1, &vertexArray);
    if (!buffers.empty()) glDeleteBuffers(static_cast<GLsizei>(buffers.size()), buffers.data());
}

}  // namespace Quessel
