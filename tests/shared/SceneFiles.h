#pragma once
// Small scene files written as the formats' own text, to be read by Assimp as a brought
// scene is: one triangle (a quad for PLY and STL) and whatever material the test gives.
#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace Quessel::Test {

inline void writeText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// A glTF 2 file with one triangle (positions, normals, two UV sets) beside its buffer;
// `material` is the material's JSON (null: the primitive names none), `extra` merges into
// the document (lights, say).
inline void writeGltf(const std::string& folder, const std::string& name, const nlohmann::json& material,
                      const nlohmann::json& extra = nlohmann::json::object()) {
    const float data[] = {0, 0, 0, 1, 0, 0, 0, 1, 0,   // positions
                          0, 0, 1, 0, 0, 1, 0, 0, 1,   // normals
                          0, 0, 1, 0, 0, 1,            // first UV set
                          0, 0, 0.5f, 0, 0, 0.5f};     // second UV set
    std::ofstream(folder + "/" + name + ".bin", std::ios::binary).write(reinterpret_cast<const char*>(data), sizeof(data));
    nlohmann::json primitive = {{"attributes", {{"POSITION", 0}, {"NORMAL", 1}, {"TEXCOORD_0", 2}, {"TEXCOORD_1", 3}}}};
    nlohmann::json document = {
        {"asset", {{"version", "2.0"}}},
        {"scene", 0},
        {"scenes", {{{"nodes", {0}}}}},
        {"nodes", {{{"mesh", 0}}}},
        {"buffers", {{{"byteLength", sizeof(data)}, {"uri", name + ".bin"}}}},
        {"bufferViews",
         {{{"buffer", 0}, {"byteOffset", 0}, {"byteLength", 36}},
          {{"buffer", 0}, {"byteOffset", 36}, {"byteLength", 36}},
          {{"buffer", 0}, {"byteOffset", 72}, {"byteLength", 24}},
          {{"buffer", 0}, {"byteOffset", 96}, {"byteLength", 24}}}},
        {"accessors",
         {{{"bufferView", 0}, {"componentType", 5126}, {"count", 3}, {"type", "VEC3"}, {"min", {0, 0, 0}}, {"max", {1, 1, 0}}},
          {{"bufferView", 1}, {"componentType", 5126}, {"count", 3}, {"type", "VEC3"}},
          {{"bufferView", 2}, {"componentType", 5126}, {"count", 3}, {"type", "VEC2"}},
          {{"bufferView", 3}, {"componentType", 5126}, {"count", 3}, {"type", "VEC2"}}}}};
    if (!material.is_null()) {
        primitive["material"] = 0;
        document["materials"] = {material};
        nlohmann::json images = nlohmann::json::array();
        nlohmann::json textures = nlohmann::json::array();
        for (int i = 0; i < 5; ++i) {
            images.push_back({{"uri", "texture" + std::to_string(i) + ".png"}});
            textures.push_back({{"source", i}});
        }
        document["images"] = images;
        document["textures"] = textures;
    }
    document["meshes"] = {{{"primitives", {primitive}}}};
    document.merge_patch(extra);
    writeText(folder + "/" + name + ".gltf", document.dump());
}

// A PLY quad, with vertex colours (0-255) when asked.
inline std::string plyQuad(bool colors) {
    std::string text = "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty float y\nproperty float z\n";
    if (colors) text += "property uchar red\nproperty uchar green\nproperty uchar blue\n";
    text += "element face 1\nproperty list uchar int vertex_indices\nend_header\n";
    const char* corners[] = {"0 0 0", "1 0 0", "1 1 0", "0 1 0"};
    for (const char* corner : corners) text += std::string(corner) + (colors ? " 128 64 255\n" : "\n");
    return text + "4 0 1 2 3\n";
}

inline const char* stlQuad() {
    return "solid quad\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 1 1 0\nendloop\nendfacet\n"
           "facet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 1 0\nvertex 0 1 0\nendloop\nendfacet\nendsolid quad\n";
}

// A COLLADA triangle whose effect is the given <phong> content, and `lights` in its library.
inline std::string colladaTriangle(const std::string& phong, const std::string& lights = {},
                                   const std::string& lightNodes = {}) {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
<asset><up_axis>Y_UP</up_axis></asset>
<library_lights>)" + lights + R"(</library_lights>
<library_effects><effect id="fx"><profile_COMMON><technique sid="t"><phong>)" + phong +
           R"(</phong></technique></profile_COMMON></effect></library_effects>
<library_materials><material id="paint" name="paint"><instance_effect url="#fx"/></material></library_materials>
<library_geometries><geometry id="g"><mesh>
<source id="p"><float_array id="pa" count="9">0 0 0 1 0 0 0 1 0</float_array>
<technique_common><accessor source="#pa" count="3" stride="3"><param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
<vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
<triangles count="1" material="m"><input semantic="VERTEX" source="#v" offset="0"/><p>0 1 2</p></triangles>
</mesh></geometry></library_geometries>
<library_visual_scenes><visual_scene id="s"><node id="n" name="n"><instance_geometry url="#g"><bind_material><technique_common><instance_material symbol="m" target="#paint"/></technique_common></bind_material></instance_geometry></node>)" +
           lightNodes + R"(</visual_scene></library_visual_scenes>
<scene><instance_visual_scene url="#s"/></scene>
</COLLADA>
)";
}

}  // namespace Quessel::Test
