#include "scene/ImageHeader.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Quessel {

namespace {

struct DeclaredSize {
    long long width = 0;
    long long height = 0;
    bool known = false;
};

// An image's bytes, read alike from a file or from memory.
struct ByteSource {
    FILE* file = nullptr;
    const unsigned char* bytes = nullptr;
    size_t size = 0;

    // Up to `count` bytes from `offset` on; how many there were.
    size_t read(size_t offset, unsigned char* into, size_t count) const {
        if (file) {
            if (offset > LONG_MAX || std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) return 0;
            return std::fread(into, 1, count, file);
        }
        if (offset >= size) return 0;
        count = std::min(count, size - offset);
        std::memcpy(into, bytes + offset, count);
        return count;
    }
};

long long be16(const unsigned char* p) { return (p[0] << 8) | p[1]; }
long long le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
long long be32(const unsigned char* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
uint32_t le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The size sits in the first start-of-frame segment, after any number of others.
DeclaredSize jpegSize(const ByteSource& source) {
    unsigned char bytes[5];
    size_t at = 2;
    for (int segment = 0; segment < 4096; ++segment) {
        if (source.read(at++, bytes, 1) != 1 || bytes[0] != 0xFF) return {};
        // Fill bytes may stand before the marker.
        do {
            if (source.read(at++, bytes, 1) != 1) return {};
        } while (bytes[0] == 0xFF);
        const int marker = bytes[0];
        if (marker == 0xD9 || marker == 0xDA) return {};
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;
        if (source.read(at, bytes, 2) != 2) return {};
        const size_t length = static_cast<size_t>(be16(bytes));
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (source.read(at + 2, bytes, 5) != 5) return {};
            return {be16(bytes + 3), be16(bytes + 1), true};
        }
        if (length < 2) return {};
        at += length;
    }
    return {};
}

// Text lines up to an empty one, then "-Y height +X width". A header too long to see the
// size in counts as a bad size; another layout is left to the loader, which refuses it.
DeclaredSize radianceSize(const unsigned char* header, size_t count) {
    const char* text = reinterpret_cast<const char*>(header);
    const void* end = nullptr;
    for (size_t i = 0; i + 1 < count && !end; ++i) {
        if (text[i] == '\n' && text[i + 1] == '\n') end = text + i + 2;
    }
    if (!end) return {0, 0, true};
    long height = 0;
    long width = 0;
    if (std::sscanf(static_cast<const char*>(end), "-Y %ld +X %ld", &height, &width) != 2) return {};
    return {width, height, true};
}

bool isTgaType(unsigned char type) {
    return type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
}

DeclaredSize declaredSize(const ByteSource& source) {
    // One byte more than read, so the Radiance text scan always ends in a NUL.
    unsigned char header[4097] = {};
    const size_t count = source.read(0, header, sizeof header - 1);
    if (count >= 4 && header[0] == 0xFF && header[1] == 0xD8) return jpegSize(source);
    if (count >= 24 && std::memcmp(header, "\x89PNG", 4) == 0) return {be32(header + 16), be32(header + 20), true};
    if (count >= 10 && std::memcmp(header, "GIF8", 4) == 0) return {le16(header + 6), le16(header + 8), true};
    if (count >= 26 && header[0] == 'B' && header[1] == 'M') {
        // The old OS/2 header has 16-bit sizes; the others signed 32-bit ones.
        if (le32(header + 14) == 12) return {le16(header + 18), le16(header + 20), true};
        return {static_cast<int32_t>(le32(header + 18)), static_cast<int32_t>(le32(header + 22)), true};
    }
    if (count >= 22 && std::memcmp(header, "8BPS", 4) == 0) return {be32(header + 18), be32(header + 14), true};
    if (count >= 20 && std::memcmp(header, "DDS ", 4) == 0) return {le32(header + 16), le32(header + 12), true};
    if (count >= 2 && header[0] == '#' && header[1] == '?') return radianceSize(header, count);
    if (count >= 18 && header[1] <= 1 && isTgaType(header[2])) return {le16(header + 12), le16(header + 14), true};
    return {};
}

bool fits(const DeclaredSize& size) {
    if (!size.known) return true;
    // A negative height is a top-down BMP.
    const long long width = std::llabs(size.width);
    const long long height = std::llabs(size.height);
    return width >= 1 && height >= 1 && width <= MaxImageSide && height <= MaxImageSide &&
           width * height <= MaxImagePixels;
}

}  // namespace

bool imageSizeFits(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return true;
    const DeclaredSize size = declaredSize({file});
    std::fclose(file);
    return fits(size);
}

bool imageSizeFits(const void* bytes, size_t count) {
    return fits(declaredSize({nullptr, static_cast<const unsigned char*>(bytes), count}));
}

}  // namespace Quessel
