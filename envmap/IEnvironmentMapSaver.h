#pragma once
#include <string>

namespace Quessel {

class ReflectionObject;

// Writes an object's cube-map faces to a folder.
class IEnvironmentMapSaver {
public:
    virtual bool save(ReflectionObject* object, const std::string& directory) = 0;
    virtual ~IEnvironmentMapSaver() = default;
};

}  // namespace Quessel
