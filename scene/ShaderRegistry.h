#pragma once
#include "scene/ShaderProgram.h"

#include <map>
#include <memory>
#include <string>

namespace Quessel {

// The process-wide set of named programs. use() makes a program current both in OpenGL
// and here, so that other code can read locations and binding points from `current`.
class ShaderRegistry {
public:
    static ShaderRegistry& instance();

    // Builds the nine programs of the demo in their fixed order.
    void buildStandardPrograms();
    // Builds and inserts one program; a name already present keeps its first record.
    ShaderProgram& add(const char* name, const char* vertexPath, const char* fragmentPath);

    // Checked look-up: an unknown name throws std::out_of_range("invalid map<K, T> key").
    ShaderProgram& get(const std::string& name);
    void use(const std::string& name);
    // Makes the record with this OpenGL program name current; unknown names are ignored.
    void useProgram(GLuint program);

    std::map<std::string, std::unique_ptr<ShaderProgram>> programs;
    ShaderProgram* current = nullptr;

private:
    ShaderRegistry() = default;
};

}  // namespace Quessel
