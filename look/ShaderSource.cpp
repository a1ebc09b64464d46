#include "look/ShaderSource.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

namespace Quessel {

namespace {

constexpr int MaxDepth = 8;

std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
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
    static const std::regex include(R"re(^\s*#\s*include\s+"([^"]+)"\s*$)re");
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        std::smatch match;
        if (!std::regex_match(line, match, include)) {
            out += line + "\n";
            continue;
        }
        const std::string named = folderOf(path) + match[1].str();
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
