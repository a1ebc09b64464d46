#pragma once
#include <optional>
#include <string>

namespace Quessel {

// GLSL text with its `#include "file"` lines replaced by the named files (found beside the
// file that names them; included files may include others, never themselves). A #line
// after each insertion keeps the compiler's line numbers those of the file being read
// (source string numbers count the files in the order they are first read, 0 the main one).
class ShaderSource {
public:
    static std::optional<std::string> expand(const std::string& path, std::string& error);
};

}  // namespace Quessel
