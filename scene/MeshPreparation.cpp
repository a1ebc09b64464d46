#include "scene/MeshPreparation.h"

#include <assimp/mesh.h>
#include <meshoptimizer.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

namespace Quessel {

namespace {

constexpr unsigned Unused = ~0u;

// Every per-vertex array the mesh has: positions, normals, tangents, bitangents, texture
// coordinates and colours.
template <typename Visit>
void eachArray(aiMesh& mesh, Visit visit) {
    for (aiVector3D** array : {&mesh.mVertices, &mesh.mNormals, &mesh.mTangents, &mesh.mBitangents})
        if (*array) visit(*array);
    for (aiVector3D*& array : mesh.mTextureCoords)
        if (array) visit(array);
    for (aiColor4D*& array : mesh.mColors)
        if (array) visit(array);
}

std::vector<unsigned> indicesOf(const aiMesh& mesh) {
    std::vector<unsigned> indices(static_cast<size_t>(mesh.mNumFaces) * 3);
    for (size_t f = 0; f < mesh.mNumFaces; ++f) std::copy_n(mesh.mFaces[f].mIndices, 3, &indices[3 * f]);
    return indices;
}

void writeFaces(aiMesh& mesh, const std::vector<unsigned>& indices) {
    for (size_t f = 0; f < mesh.mNumFaces; ++f) std::copy_n(&indices[3 * f], 3, mesh.mFaces[f].mIndices);
}

// Assimp's face normal: the first corner's edges to the second and the last, of unit
// length unless they are parallel.
aiVector3D faceNormal(const aiMesh& mesh, const aiFace& face) {
    const aiVector3D& a = mesh.mVertices[face.mIndices[0]];
    aiVector3D normal = (mesh.mVertices[face.mIndices[1]] - a) ^ (mesh.mVertices[face.mIndices[2]] - a);
    return normal.NormalizeSafe();
}

// Positions and normals, nothing else: normals made from the places make the places'
// numbers a welding.
bool onlyPlaces(aiMesh& mesh) {
    size_t arrays = 0;
    eachArray(mesh, [&](auto*) { ++arrays; });
    return mesh.mNormals && arrays == 2;
}

void orderForCache(std::vector<unsigned>& ordered, const std::vector<unsigned>& indices, size_t vertices) {
    const size_t part = 3 * MeshPreparation::CacheTriangles;
    const auto parts = static_cast<unsigned>((indices.size() + part - 1) / part);
    MeshPreparation::inParallel(parts, [&](unsigned p) {
        const size_t begin = p * part;
        meshopt_optimizeVertexCacheFifo(&ordered[begin], &indices[begin], std::min(part, indices.size() - begin),
                                        vertices, MeshPreparation::CacheSize);
    });
}

}  // namespace

bool MeshPreparation::isTriangles(const aiMesh& mesh) {
    if (!mesh.mVertices || mesh.mNumVertices == 0 || mesh.mNumFaces == 0) return false;
    return std::all_of(mesh.mFaces, mesh.mFaces + mesh.mNumFaces,
                       [](const aiFace& face) { return face.mNumIndices == 3; });
}

MeshPreparation::Places MeshPreparation::smoothNormals(aiMesh& mesh) {
    Places places;
    if (mesh.mNormals || !isTriangles(mesh)) return places;
    const size_t vertices = mesh.mNumVertices;
    places.number.resize(vertices);
    places.count = meshopt_generateVertexRemap(places.number.data(), nullptr, vertices, mesh.mVertices, vertices,
                                               sizeof(aiVector3D));
    const std::vector<unsigned>& place = places.number;
    std::vector<aiVector3D> sum(places.count);
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        const aiVector3D normal = faceNormal(mesh, face);
        // A triangle with a coordinate that is not a number has no normal to give.
        if (normal.x != normal.x) continue;
        for (unsigned i = 0; i < 3; ++i) sum[place[face.mIndices[i]]] += normal;
    }
    for (aiVector3D& normal : sum) normal.NormalizeSafe();
    mesh.mNormals = new aiVector3D[vertices];
    for (size_t v = 0; v < vertices; ++v) mesh.mNormals[v] = sum[place[v]];
    return places;
}

void MeshPreparation::weld(aiMesh& mesh, const Places& places) {
    if (!isTriangles(mesh)) return;
    const size_t vertices = mesh.mNumVertices;
    std::vector<unsigned> indices = indicesOf(mesh);
    const size_t count = indices.size();
    std::vector<unsigned> ordered(count);
    if (mesh.HasBones() || mesh.mNumAnimMeshes > 0) {
        orderForCache(ordered, indices, vertices);
        writeFaces(mesh, ordered);
        return;
    }
    std::vector<unsigned> remap;
    size_t welded = 0;
    if (places.count > 0 && onlyPlaces(mesh)) {
        remap = places.number;
        welded = places.count;
    } else {
        std::vector<meshopt_Stream> streams;
        eachArray(mesh, [&](auto* array) { streams.push_back({array, sizeof(*array), sizeof(*array)}); });
        remap.resize(vertices);
        welded = meshopt_generateVertexRemapMulti(remap.data(), indices.data(), count, vertices, streams.data(),
                                                  streams.size());
    }
    meshopt_remapIndexBuffer(indices.data(), indices.data(), count, remap.data());
    orderForCache(ordered, indices, welded);
    // Vertices numbered in the order the ordered triangles first use them.
    std::vector<unsigned> fetch(welded);
    const size_t kept = meshopt_optimizeVertexFetchRemap(fetch.data(), ordered.data(), count, welded);
    meshopt_remapIndexBuffer(indices.data(), ordered.data(), count, fetch.data());
    // From the file's numbering straight to the final one: each array is copied once.
    for (unsigned& to : remap)
        if (to != Unused) to = fetch[to];
    eachArray(mesh, [&](auto*& array) {
        using Element = std::remove_reference_t<decltype(*array)>;
        Element* moved = new Element[kept];
        meshopt_remapVertexBuffer(moved, array, vertices, sizeof(Element), remap.data());
        delete[] array;
        array = moved;
    });
    mesh.mNumVertices = static_cast<unsigned>(kept);
    writeFaces(mesh, indices);
}

void MeshPreparation::weld(aiMesh& mesh) { weld(mesh, Places()); }

void MeshPreparation::dropTangents(aiMesh& mesh) {
    delete[] mesh.mTangents;
    delete[] mesh.mBitangents;
    mesh.mTangents = nullptr;
    mesh.mBitangents = nullptr;
}

void MeshPreparation::release(aiMesh& mesh) {
    eachArray(mesh, [](auto*& array) {
        delete[] array;
        array = nullptr;
    });
    delete[] mesh.mFaces;
    mesh.mFaces = nullptr;
    mesh.mNumFaces = 0;
    mesh.mNumVertices = 0;
}

void MeshPreparation::inParallel(unsigned count, const std::function<void(unsigned)>& work) {
    std::atomic<unsigned> next{0};
    const auto worker = [&] {
        for (unsigned i = next++; i < count; i = next++) work(i);
    };
    const unsigned hands = std::max(1u, std::min(count, std::thread::hardware_concurrency()));
    std::vector<std::future<void>> helpers;
    for (unsigned h = 1; h < hands; ++h) {
        try {
            helpers.push_back(std::async(std::launch::async, worker));
        } catch (const std::system_error&) {
            // No thread to be had (under the import's memory cap, say): fewer hands.
            break;
        }
    }
    worker();
    for (std::future<void>& helper : helpers) helper.get();
}

}  // namespace Quessel
