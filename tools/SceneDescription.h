#pragma once

#include "Mesh.h"

#include <glm/mat4x4.hpp>

#include <string>
#include <vector>

namespace Quessel::SceneGen {

struct Colour {
    double r = 0, g = 0, b = 0, a = 1;
};
inline Colour grey(double v) { return {v, v, v, 1}; }
inline Colour rgb(double r, double g, double b) { return {r, g, b, 1}; }

struct Material {
    std::string id;
    std::string texture;  // bare image file name, empty for colours only
    Colour emission;
    Colour ambient;
    Colour diffuse;
    Colour specular;
    double shininess = 0;
};

struct MeshEntry {
    std::string id;
    Mesh mesh;
    int material = 0;
};

// A node's transform and mesh data are expressed in the Y-up world frame; the writer
// turns them into the file's Z-up frame.
struct SceneNode {
    std::string id;
    glm::dmat4 transform{1.0};
    std::vector<int> meshes;
    std::vector<SceneNode> children;
};

struct SceneDescription {
    std::vector<Material> materials;
    std::vector<MeshEntry> meshes;
    std::vector<SceneNode> nodes;  // the top-level nodes become the root's children

    int addMaterial(const Material& material) {
        materials.push_back(material);
        return static_cast<int>(materials.size() - 1);
    }
    int addMesh(const std::string& id, Mesh mesh, int material) {
        meshes.push_back({id, std::move(mesh), material});
        return static_cast<int>(meshes.size() - 1);
    }
};

}  // namespace Quessel::SceneGen
