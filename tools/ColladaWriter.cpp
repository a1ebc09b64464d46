#include "ColladaWriter.h"

#include <fmt/format.h>
#include <glm/matrix.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>

namespace Quessel::SceneGen {

namespace {

// Fixed six-decimal text keeps the file byte-identical from run to run; -0 is folded into 0.
std::string num(double v) { return fmt::format("{:.6f}", std::fabs(v) < 5e-7 ? 0.0 : v); }

std::string colour(const Colour& c) { return fmt::format("{} {} {} {}", num(c.r), num(c.g), num(c.b), num(c.a)); }

glm::dvec3 toFile(const glm::dvec3& w) { return {w.x, -w.z, w.y}; }

glm::dmat4 toFile(const glm::dmat4& w) {
    // Columns: where file x, y, z and the origin land in the world.
    const glm::dmat4 toWorld{{1, 0, 0, 0}, {0, 0, -1, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}};
    return glm::transpose(toWorld) * w * toWorld;
}

std::string imageId(std::string fileName) {
    std::replace(fileName.begin(), fileName.end(), '.', '_');
    return fileName;
}

void writeImages(std::string& o, const SceneDescription& scene) {
    o += fmt::format("  <library_images>\n");
    std::vector<std::string> seen;
    for (const Material& m : scene.materials) {
        if (m.texture.empty() || std::find(seen.begin(), seen.end(), m.texture) != seen.end()) continue;
        seen.push_back(m.texture);
        o += fmt::format(
            "    <image id=\"{0}\" name=\"{0}\">\n"
            "      <init_from>{1}</init_from>\n"
            "    </image>\n",
            imageId(m.texture), m.texture);
    }
    o += fmt::format("  </library_images>\n");
}

void writeEffects(std::string& o, const SceneDescription& scene) {
    o += fmt::format("  <library_effects>\n");
    for (const Material& m : scene.materials) {
        const std::string id = imageId(m.texture);
        o += fmt::format("    <effect id=\"{}-effect\">\n      <profile_COMMON>\n", m.id);
        if (!m.texture.empty())
            o += fmt::format(
                "        <newparam sid=\"{0}-surface\">\n"
                "          <surface type=\"2D\">\n"
                "            <init_from>{0}</init_from>\n"
                "          </surface>\n"
                "        </newparam>\n"
                "        <newparam sid=\"{0}-sampler\">\n"
                "          <sampler2D>\n"
                "            <source>{0}-surface</source>\n"
                "          </sampler2D>\n"
                "        </newparam>\n",
                id);
        const std::string diffuse = m.texture.empty()
                                        ? fmt::format("<color sid=\"diffuse\">{}</color>", colour(m.diffuse))
                                        : fmt::format("<texture texture=\"{}-sampler\" texcoord=\"UVMap\"/>", id);
        o += fmt::format(
            "        <technique sid=\"common\">\n"
            "          <phong>\n"
            "            <emission><color sid=\"emission\">{}</color></emission>\n"
            "            <ambient><color sid=\"ambient\">{}</color></ambient>\n"
            "            <diffuse>{}</diffuse>\n"
            "            <specular><color sid=\"specular\">{}</color></specular>\n"
            "            <shininess><float sid=\"shininess\">{}</float></shininess>\n"
            "          </phong>\n"
            "        </technique>\n"
            "      </profile_COMMON>\n"
            "    </effect>\n",
            colour(m.emission), colour(m.ambient), diffuse, colour(m.specular), num(m.shininess));
    }
    o += fmt::format("  </library_effects>\n  <library_materials>\n");
    for (const Material& m : scene.materials)
        o += fmt::format(
            "    <material id=\"{0}\" name=\"{0}\">\n"
            "      <instance_effect url=\"#{0}-effect\"/>\n"
            "    </material>\n",
            m.id);
    o += fmt::format("  </library_materials>\n");
}

void writeSource(std::string& o, const std::string& id, const std::vector<double>& values, int stride,
                 const char* params) {
    std::vector<std::string> numbers(values.size());
    std::transform(values.begin(), values.end(), numbers.begin(), num);
    o += fmt::format(
        "        <source id=\"{0}\">\n"
        "          <float_array id=\"{0}-array\" count=\"{1}\">{2}</float_array>\n"
        "          <technique_common>\n"
        "            <accessor source=\"#{0}-array\" count=\"{3}\" stride=\"{4}\">\n",
        id, values.size(), fmt::join(numbers, " "), values.size() / stride, stride);
    for (const char* p = params; *p; ++p) o += fmt::format("              <param name=\"{}\" type=\"float\"/>\n", *p);
    o += fmt::format("            </accessor>\n          </technique_common>\n        </source>\n");
}

void writeGeometry(std::string& o, const MeshEntry& entry, const Material& material) {
    const Mesh& mesh = entry.mesh;
    const bool mapped = mesh.uvs.size() == mesh.positions.size();
    std::vector<double> positions, normals, uvs;
    for (size_t i = 0; i < mesh.positions.size(); ++i) {
        glm::dvec3 p = toFile(mesh.positions[i]), n = toFile(mesh.normals[i]);
        positions.insert(positions.end(), {p.x, p.y, p.z});
        normals.insert(normals.end(), {n.x, n.y, n.z});
        if (mapped) uvs.insert(uvs.end(), {mesh.uvs[i].x, mesh.uvs[i].y});
    }
    const std::string id = entry.id + "-mesh";
    o += fmt::format("    <geometry id=\"{}\" name=\"{}\">\n      <mesh>\n", id, entry.id);
    writeSource(o, id + "-positions", positions, 3, "XYZ");
    writeSource(o, id + "-normals", normals, 3, "XYZ");
    if (mapped) writeSource(o, id + "-map-0", uvs, 2, "ST");
    o += fmt::format(
        "        <vertices id=\"{0}-vertices\">\n"
        "          <input semantic=\"POSITION\" source=\"#{0}-positions\"/>\n"
        "        </vertices>\n"
        "        <triangles material=\"{1}\" count=\"{2}\">\n"
        "          <input semantic=\"VERTEX\" source=\"#{0}-vertices\" offset=\"0\"/>\n"
        "          <input semantic=\"NORMAL\" source=\"#{0}-normals\" offset=\"1\"/>\n"
        "{3}          <p>",
        id, material.id, mesh.triangleCount(),
        mapped
            ? fmt::format("          <input semantic=\"TEXCOORD\" source=\"#{}-map-0\" offset=\"2\" set=\"0\"/>\n", id)
            : "");
    for (size_t i = 0; i < mesh.indices.size(); ++i)
        o += fmt::format(mapped ? "{0}{1} {1} {1}" : "{0}{1} {1}", i ? " " : "", mesh.indices[i]);
    o += fmt::format("</p>\n        </triangles>\n      </mesh>\n    </geometry>\n");
}

void writeNode(std::string& o, const SceneDescription& scene, const SceneNode& node, const std::string& indent) {
    const glm::dmat4 m = toFile(node.transform);
    std::vector<std::string> matrix;
    // COLLADA lists the matrix row by row; glm indexes m[column][row].
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) matrix.push_back(num(m[c][r]));
    o += fmt::format("{0}<node id=\"{1}\" name=\"{1}\" type=\"NODE\">\n{0}  <matrix sid=\"transform\">{2}</matrix>\n",
                     indent, node.id, fmt::join(matrix, " "));
    for (int meshIndex : node.meshes) {
        const MeshEntry& entry = scene.meshes[meshIndex];
        fmt::format_to(
            std::back_inserter(o),
            "{0}  <instance_geometry url=\"#{1}-mesh\" name=\"{1}\">\n"
            "{0}    <bind_material>\n"
            "{0}      <technique_common>\n"
            "{0}        <instance_material symbol=\"{2}\" target=\"#{2}\">\n"
            "{0}          <bind_vertex_input semantic=\"UVMap\" input_semantic=\"TEXCOORD\" input_set=\"0\"/>\n"
            "{0}        </instance_material>\n"
            "{0}      </technique_common>\n"
            "{0}    </bind_material>\n"
            "{0}  </instance_geometry>\n",
            indent, entry.id, scene.materials[entry.material].id);
    }
    for (const SceneNode& child : node.children) writeNode(o, scene, child, indent + "  ");
    o += fmt::format("{}</node>\n", indent);
}

}  // namespace

std::string ColladaWriter::write(const SceneDescription& scene) {
    std::string o;
    o += fmt::format(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
        "  <asset>\n"
        "    <contributor>\n"
        "      <author>Quessel</author>\n"
        "      <authoring_tool>quessel-scenegen</authoring_tool>\n"
        "    </contributor>\n"
        "    <created>2024-01-01T00:00:00</created>\n"
        "    <modified>2024-01-01T00:00:00</modified>\n"
        "    <unit name=\"meter\" meter=\"1\"/>\n"
        "    <up_axis>Z_UP</up_axis>\n"
        "  </asset>\n");
    writeImages(o, scene);
    writeEffects(o, scene);
    o += fmt::format("  <library_geometries>\n");
    for (const MeshEntry& entry : scene.meshes) writeGeometry(o, entry, scene.materials[entry.material]);
    o += fmt::format(
        "  </library_geometries>\n"
        "  <library_visual_scenes>\n"
        "    <visual_scene id=\"Scene\" name=\"Scene\">\n");
    for (const SceneNode& node : scene.nodes) writeNode(o, scene, node, "      ");
    o += fmt::format(
        "    </visual_scene>\n"
        "  </library_visual_scenes>\n"
        "  <scene>\n"
        "    <instance_visual_scene url=\"#Scene\"/>\n"
        "  </scene>\n"
        "</COLLADA>\n");
    return o;
}

bool ColladaWriter::writeFile(const SceneDescription& scene, const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    file << write(scene);
    return static_cast<bool>(file);
}

}  // namespace Quessel::SceneGen
