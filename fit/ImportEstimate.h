#pragma once
#include <cstdint>
#include <string>

namespace Quessel {

// What importing a scene file will take in memory, judged before the import from what the
// file declares: the element counts of a PLY or OFF header, a binary STL's triangle count,
// else the file's size.
struct ImportEstimate {
    uint64_t bytes = 0;
    // What it was judged from, for a message: "its PLY header declares 3 vertices and 1 face".
    std::string basis;

    // Nothing (0 bytes) when the file cannot be read: the import then says why.
    static ImportEstimate of(const std::string& path);
    // From the file's first bytes (its header), its size and its name's extension.
    static ImportEstimate of(const std::string& head, uint64_t fileSize, const std::string& extension);

    // The peak of a brought scene's import (Assimp 5.2's parser and the steps a brought
    // scene takes, see ImportPlan) and of uploading its meshes twice, measured on binary PLY
    // height fields of 2 and 6 million triangles, shared and unshared, an OFF and a binary
    // STL: at most 32 bytes a vertex and 125 a face, rounded up. One copy is uploaded now
    // (the look's, or the demo's under --look demo): the figures leave room.
    static constexpr uint64_t BytesPerVertex = 64;
    static constexpr uint64_t BytesPerFace = 128;
    // A file that declares no counts: an OBJ of unshared triangles peaked at 24 times its size.
    static constexpr uint64_t BytesPerFileByte = 24;
    // How much of a file is read for its header.
    static constexpr size_t HeadBytes = 64 * 1024;
};

}  // namespace Quessel
