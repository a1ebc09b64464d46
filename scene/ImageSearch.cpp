#include "scene/ImageSearch.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

namespace Quessel {

namespace {

bool isFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// The entries of a directory in another letter case than `wanted`, sorted so the choice
// among several is always the same.
std::vector<std::string> otherCases(const std::string& directory, const std::string& wanted) {
    std::vector<std::string> found;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(directory.empty() ? "." : directory, error), end;
         !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name != wanted && sameIgnoringCase(name, wanted)) found.push_back(name);
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The file at `parts` below `directory`, each part as named where it is there, else in
// another letter case; empty when there is none. Reads only the directories on the way.
std::string matchBelow(const std::string& directory, const std::vector<std::string>& parts, size_t index) {
    if (index == parts.size()) return isFile(directory) ? directory : std::string();
    const std::string& wanted = parts[index];
    std::string found = matchBelow(joined(directory, wanted), parts, index + 1);
    // A ".." climbs as the scene names it; it has no other case.
    if (!found.empty() || wanted == "..") return found;
    for (const std::string& name : otherCases(directory, wanted)) {
        found = matchBelow(joined(directory, name), parts, index + 1);
        if (!found.empty()) return found;
    }
    return {};
}

std::string findLeniently(const std::string& folder, const std::string& name) {
    std::string slashed = name;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    if (isFile(joined(folder, slashed))) return joined(folder, slashed);
    // An absolute name, a drive letter or a "." only add parts that the folder lacks.
    std::vector<std::string> parts;
    std::stringstream stream(slashed);
    for (std::string part; std::getline(stream, part, '/');) {
        if (!part.empty() && part != ".") parts.push_back(part);
    }
    if (parts.empty()) return {};
    std::string found = matchBelow(folder, parts, 0);
    if (found.empty() && parts.size() > 1) found = matchBelow(folder, {parts.back()}, 0);
    return found;
}

}  // namespace

std::string ImageSearch::path(const std::string& name) const {
    for (const std::string& folder : folders) {
        if (lenient) {
            const std::string found = findLeniently(folder, name);
            if (!found.empty()) return found;
        } else if (isFile(joined(folder, name))) {
            return joined(folder, name);
        }
    }
    return name;
}

}  // namespace Quessel
