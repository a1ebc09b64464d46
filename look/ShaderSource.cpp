#include "look/ShaderSource.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

namespace Quessel {

namespace {

constexpr int MaxDepth = 8;

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file named by an `#include "file"` line; empty for any other line.
std::string includedFile(const std::string& line) {
    size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line[at] != '#') return {};
    at = line.find_first_not_of(" \t", at + 1);
    const std::string keyword = "include";
    if (at == std::string::npos || line.compare(at, keyword.size(), keyword) != 0) return {};
    at = line.find_first_not_of(" \t", at + keyword.size());
    if (at == std::string::npos || line[at] != '"') return {};
    const size_t end = line.find('"', at + 1);
    if (end == std::string::npos || end == at + 1 || line.find_first_not_of(" \t\r", end + 1) != std::string::npos)
        return {};
    return line.substr(at + 1, end - at - 1);
}

bool expandInto(const std::string& path, std::vector<std::string>& open, int& files, std::string& out,
                std::string& error) {
    std::ifstream file(path);
    if (!file.is_open()) {
        error = "cannot open shader file " + path;
        return false;
    }
    if (open.size() > MaxDepth || std::find(open.begin(), open.end(), path) != open.end()) {
        error = "shader file " + path + " includes itself";
        return false;
    }
    open.push_back(path);
    const int number = files++;
    if (number > 0) out += "#line 1 " + std::to_string(number) + "\n";
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        const std::string included = includedFile(line);
        if (included.empty()) {
            out += line + "\n";
            continue;
        }
        const std::string named = folderOf(path) + included;
        if (!expandInto(named, open, files, out, error)) {
            error += " (included from " + path + " line " + std::to_string(lineNumber) + ")";
            return false;
        }
        out += "#line " + std::to_string(lineNumber + 1) + " " + std::to_string(number) + "\n";
    }
    open.pop_back();
    return true;
}

}  // namespace

std::optional<std::string> ShaderSource::expand(const std::string& path, std::string& error) {
    std::vector<std::string> open;
    int files = 0;
    std::string out;
    if (!expandInto(path, open, files, out, error)) return std::nullopt;
    return out;
}

}  // namespace Quessel
