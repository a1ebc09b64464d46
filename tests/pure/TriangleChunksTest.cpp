// A big mesh's triangles split into spatial chunks: every triangle exactly once, indices
// still valid, chunks no bigger than asked and compact in space, triangles in their order
// within a chunk, and meshes that cannot be split left whole.
#include "math/TriangleChunks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <string>

using namespace Quessel;
using Chunk = TriangleChunks::Chunk;

namespace {

struct Mesh {
    std::vector<vec3> positions;
    std::vector<uint32_t> indices;
};

// A height field of `side` × `side` quads (two triangles each) over [0, side]², its rows
// of triangles given first in one half of the field, then in the other, so that the file's
// order is not the spatial one.
Mesh grid(unsigned side) {
    Mesh mesh;
    for (unsigned y = 0; y <= side; ++y)
        for (unsigned x = 0; x <= side; ++x)
            mesh.positions.emplace_back(static_cast<float>(x), std::sin(0.1f * x) * std::cos(0.2f * y),
                                        static_cast<float>(y));
    for (unsigned start : {1u, 0u})
        for (unsigned y = start; y < side; y += 2)
            for (unsigned x = 0; x < side; ++x) {
                const uint32_t a = y * (side + 1) + x, b = a + 1, c = a + side + 1, d = c + 1;
                mesh.indices.insert(mesh.indices.end(), {a, c, b, b, c, d});
            }
    return mesh;
}

using Triangle = std::array<uint32_t, 3>;

Triangle triangle(const std::vector<uint32_t>& indices, size_t t) {
    return {indices[3 * t], indices[3 * t + 1], indices[3 * t + 2]};
}

// What every split keeps: each triangle once with its corners in their order, valid
// indices, chunks covering the index buffer in order, at most `most` triangles in a chunk
// that could be split, boxes around their triangles, triangles of a chunk in their order.
void expectChunksKeepTheMesh(const Mesh& mesh, const std::vector<uint32_t>& split, const std::vector<Chunk>& chunks,
                             size_t most) {
    ASSERT_EQ(split.size(), mesh.indices.size());
    // Each triangle by its place in the mesh given; a triangle given twice keeps two places.
    std::multimap<Triangle, size_t> places;
    for (size_t t = 0; t < mesh.indices.size() / 3; ++t) places.emplace(triangle(mesh.indices, t), t);
    for (uint32_t index : split) ASSERT_LT(index, mesh.positions.size());
    uint32_t next = 0;
    for (const Chunk& chunk : chunks) {
        EXPECT_EQ(chunk.firstIndex, next) << "chunks do not follow each other";
        EXPECT_EQ(chunk.indexCount % 3, 0u);
        EXPECT_LE(chunk.indexCount / 3, most);
        next = chunk.firstIndex + chunk.indexCount;
        size_t previous = 0;
        for (uint32_t i = chunk.firstIndex; i < next; ++i) {
            const vec3& p = mesh.positions[split[i]];
            if (chunk.bounded) {
                EXPECT_TRUE(glm::all(glm::greaterThanEqual(p, chunk.bounds.min)) &&
                            glm::all(glm::lessThanEqual(p, chunk.bounds.max)))
                    << "a corner outside its chunk's box";
            }
            if (i % 3 != 2) continue;
            const auto found = places.find(triangle(split, i / 3));
            ASSERT_NE(found, places.end()) << "a triangle the mesh did not have, or one too many times";
            EXPECT_GE(found->second, previous) << "triangles out of their order within a chunk";
            previous = found->second;
            places.erase(found);
        }
    }
    EXPECT_EQ(next, split.size()) << "the chunks do not cover the index buffer";
    EXPECT_TRUE(places.empty()) << places.size() << " triangles lost";
}

}  // namespace

TEST(TriangleChunks, EveryTriangleOnceInChunksOfAtMostTheSizeAsked) {
    struct Case {
        const char* what;
        Mesh mesh;
        size_t most;
        size_t chunks;  // at least
    };
    Mesh doubled = grid(40);
    // Each triangle again with its winding turned, as two-sided files give them: both
    // halves of a pair share their centre and stay together.
    for (size_t t = 0, count = doubled.indices.size() / 3; t < count; ++t) {
        const Triangle corners = triangle(doubled.indices, t);
        doubled.indices.insert(doubled.indices.end(), {corners[0], corners[2], corners[1]});
    }
    const Case cases[] = {
        {"a height field of 180,000 triangles", grid(300), 10000, 18},
        {"one of 3,200 in chunks of 1,000", grid(40), 1000, 4},
        {"every triangle twice", doubled, 1000, 7},
        {"one just small enough", grid(10), 200, 1},
        {"chunks of one triangle", grid(4), 1, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint32_t> split = c.mesh.indices;
        const std::vector<Chunk> chunks = TriangleChunks::split(c.mesh.positions, split, c.most);
        EXPECT_GE(chunks.size(), c.chunks);
        expectChunksKeepTheMesh(c.mesh, split, chunks, c.most);
        if (chunks.size() == 1) {
            EXPECT_EQ(split, c.mesh.indices) << "a mesh left whole changed its order";
        }
        for (const Chunk& chunk : chunks) EXPECT_TRUE(chunk.bounded);
    }
}

TEST(TriangleChunks, ChunksAreCompactInSpace) {
    // The field's rows come in two interleaved halves: chunks taken in the file's order
    // would each stretch across the whole field.
    const Mesh mesh = grid(300);
    std::vector<uint32_t> split = mesh.indices;
    const std::vector<Chunk> chunks = TriangleChunks::split(mesh.positions, split, 10000);
    float area = 0.0f;
    for (const Chunk& chunk : chunks) area += chunk.bounds.size().x * chunk.bounds.size().z;
    EXPECT_LT(area, 1.1f * 300.0f * 300.0f) << "the chunks' boxes overlap";
}

TEST(TriangleChunks, MeshesThatCannotBeSplitStayWholeAndUnboundedOnesSaySo) {
    // Five thousand triangles around one centre (one triangle's corners in every order):
    // nothing tells them apart.
    Mesh fan;
    fan.positions = {{-1, 0, 0}, {1, 0, 0}, {0, 0, 1}};
    const Triangle orders[6] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}, {2, 1, 0}, {1, 0, 2}};
    for (int t = 0; t < 5000; ++t) fan.indices.insert(fan.indices.end(), orders[t % 6].begin(), orders[t % 6].end());
    std::vector<uint32_t> split = fan.indices;
    std::vector<Chunk> chunks = TriangleChunks::split(fan.positions, split, 100);
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(split, fan.indices);
    expectChunksKeepTheMesh(fan, split, chunks, 5000);

    // A corner no float holds: its chunk can be anywhere.
    Mesh broken = grid(10);
    broken.positions[0] = vec3(std::numeric_limits<float>::infinity(), 0, 0);
    split = broken.indices;
    chunks = TriangleChunks::split(broken.positions, split, 50);
    expectChunksKeepTheMesh(broken, split, chunks, 50);
    const auto unbounded = std::count_if(chunks.begin(), chunks.end(), [](const Chunk& c) { return !c.bounded; });
    EXPECT_EQ(unbounded, 1);
}
