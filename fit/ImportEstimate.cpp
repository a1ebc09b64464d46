#include "fit/ImportEstimate.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <vector>

namespace Quessel {

namespace {
struct Counts {
    uint64_t vertices = 0;
    uint64_t faces = 0;
};

constexpr uint64_t Most = std::numeric_limits<uint64_t>::max();

// Sums and products saturate: a header may declare counts whose cost no machine holds.
uint64_t saturating(uint64_t a, uint64_t b) { return a > Most - b ? Most : a + b; }
uint64_t times(uint64_t count, uint64_t each) { return count > Most / each ? Most : count * each; }

std::optional<uint64_t> number(const std::string& word) {
    if (word.empty() || !std::all_of(word.begin(), word.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return std::nullopt;
    try {
        return std::stoull(word);
    } catch (const std::out_of_range&) {
        return Most;
    }
}

// "element vertex 8" lines up to end_header; every element other than vertices counts as faces.
std::optional<Counts> plyCounts(const std::string& head) {
    std::istringstream lines(head);
    std::string line;
    if (!std::getline(lines, line) || line.rfind("ply", 0) != 0) return std::nullopt;
    Counts counts;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string keyword, name, count;
        words >> keyword >> name >> count;
        if (keyword == "end_header") return counts;
        if (keyword != "element") continue;
        const auto value = number(count);
        if (!value) return std::nullopt;
        uint64_t& sum = name == "vertex" ? counts.vertices : counts.faces;
        sum = saturating(sum, *value);
    }
    return std::nullopt;
}

// "OFF" (or COFF, NOFF, ...), then the vertex, face and edge counts; comments start with #.
std::optional<Counts> offCounts(const std::string& head) {
    std::istringstream text(head);
    std::string word;
    std::vector<uint64_t> values;
    bool keyword = false;
    for (std::string line; values.size() < 2 && std::getline(text, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        while (values.size() < 2 && words >> word) {
            if (!keyword) {
                if (word.size() < 3 || word.compare(word.size() - 3, 3, "OFF") != 0) return std::nullopt;
                keyword = true;
                continue;
            }
            const auto value = number(word);
            if (!value) return std::nullopt;
            values.push_back(*value);
        }
    }
    if (values.size() < 2) return std::nullopt;
    return Counts{values[0], values[1]};
}

// A binary STL: an 80-byte header, the triangle count, 50 bytes a triangle.
std::optional<Counts> stlCounts(const std::string& head, uint64_t fileSize) {
    if (head.size() < 84) return std::nullopt;
    uint32_t triangles = 0;
    std::memcpy(&triangles, head.data() + 80, sizeof(triangles));
    if (84 + 50 * static_cast<uint64_t>(triangles) != fileSize) return std::nullopt;
    return Counts{3 * static_cast<uint64_t>(triangles), triangles};
}

std::string plural(uint64_t count, const char* one, const char* many) {
    return fmt::format("{} {}", count, count == 1 ? one : many);
}
}  // namespace

ImportEstimate ImportEstimate::of(const std::string& head, uint64_t fileSize, const std::string& extension) {
    std::string ext = extension;
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    std::optional<Counts> counts;
    std::string declared;
    if (ext == ".ply") {
        counts = plyCounts(head);
        declared = "PLY header declares";
    } else if (ext == ".off") {
        counts = offCounts(head);
        declared = "OFF header declares";
    } else if (ext == ".stl") {
        counts = stlCounts(head, fileSize);
        declared = "binary STL header declares";
    }
    if (counts)
        return {saturating(times(counts->vertices, BytesPerVertex), times(counts->faces, BytesPerFace)),
                fmt::format("its {} {} and {}", declared, plural(counts->vertices, "vertex", "vertices"),
                            plural(counts->faces, "face", "faces"))};
    return {times(fileSize, BytesPerFileByte), fmt::format("judged from the file's size, {:.1f} MB", fileSize / 1e6)};
}

ImportEstimate ImportEstimate::of(const std::string& path) {
    std::error_code error;
    const uint64_t size = std::filesystem::file_size(path, error);
    std::ifstream file(path, std::ios::binary);
    if (error || !file) return {};
    std::string head(HeadBytes, '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(file.gcount()));
    return of(head, size, std::filesystem::path(path).extension().string());
}

}  // namespace Quessel
