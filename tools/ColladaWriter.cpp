#include "ColladaWriter.h"

#include <glm/matrix.hpp>

#include <cmath>
#include <cstdio>
#include <fstream>

namespace Quessel::SceneGen {

namespace {

// Fixed six-decimal text keeps the file byte-identical from run to run; -0 is folded into 0.
std::string num(double v) {
    if (std::fabs(v) < 5e-7) v = 0.0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    return buf;
}

std::string colour(const Colour& c) { return num(c.r) + " " + num(c.g) + " " + num(c.b) + " " + num(c.a); }

glm::dvec3 toFile(const glm::dvec3& w) { return {w.x, -w.z, w.y}; }

glm::dmat4 toFile(const glm::dmat4& w) {
    // Columns: where file x, y, z and the origin land in the world.
    const glm::dmat4 toWorld{{1, 0, 0, 0}, {0, 0, -1, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}};
    return glm::transpose(toWorld) * w * toWorld;
}

std::string imageId(const std::string& fileName) {
    std::string id = fileName;
    for (char& c : id)
        if (c == '.') c = '_';
    return id;
}

class Out {
public:
    std::string text;
    Out& operator<<(const std::string& s) {
        text += s;
        return *this;
    }
    Out& operator<<(size_t n) {
        text += std::to_string(n);
        return *this;
    }
};

void writeAsset(Out& o) {
    o << "  <asset>\n"
         "    <contributor>\n"
         "      <author>Quessel</author>\n"
         "      <authoring_tool>quessel-scenegen</authoring_tool>\n"
         "    </contributor>\n"
         "    <created>2024-01-01T00:00:00</created>\n"
         "    <modified>2024-01-01T00:00:00</modified>\n"
         "    <unit name=\"meter\" meter=\"1\"/>\n"
         "    <up_axis>Z_UP</up_axis>\n"
         "  </asset>\n";
}

void writeImages(Out& o, const SceneDescription& scene) {
    o << "  <library_images>\n";
    std::vector<std::string> seen;
    for (const Material& m : scene.materials) {
        if (m.texture.empty()) continue;
        bool known = false;
        for (const std::string& s : seen) known = known || s == m.texture;
        if (known) continue;
        seen.push_back(m.texture);
        std::string id = imageId(m.texture);
        o << "    <image id=\"" << id << "\" name=\"" << id << "\">\n"
          << "      <init_from>" << m.texture << "</init_from>\n"
          << "    </image>\n";
    }
    o << "  </library_images>\n";
}

void writeEffects(Out& o, const SceneDescription& scene) {
    o << "  <library_effects>\n";
    for (const Material& m : scene.materials) {
        o << "    <effect id=\"" << m.id << "-effect\">\n"
          << "      <profile_COMMON>\n";
        std::string sampler;
        if (!m.texture.empty()) {
            std::string id = imageId(m.texture);
            sampler = id + "-sampler";
            o << "        <newparam sid=\"" << id << "-surface\">\n"
              << "          <surface type=\"2D\">\n"
              << "            <init_from>" << id << "</init_from>\n"
              << "          </surface>\n"
              << "        </newparam>\n"
              << "        <newparam sid=\"" << sampler << "\">\n"
              << "          <sampler2D>\n"
              << "            <source>" << id << "-surface</source>\n"
              << "          </sampler2D>\n"
              << "        </newparam>\n";
        }
        o << "        <technique sid=\"common\">\n"
          << "          <phong>\n"
          << "            <emission><color sid=\"emission\">" << colour(m.emission) << "</color></emission>\n"
          << "            <ambient><color sid=\"ambient\">" << colour(m.ambient) << "</color></ambient>\n";
        if (sampler.empty())
            o << "            <diffuse><color sid=\"diffuse\">" << colour(m.diffuse) << "</color></diffuse>\n";
        else
            o << "            <diffuse><texture texture=\"" << sampler << "\" texcoord=\"UVMap\"/></diffuse>\n";
        o << "            <specular><color sid=\"specular\">" << colour(m.specular) << "</color></specular>\n"
          << "            <shininess><float sid=\"shininess\">" << num(m.shininess) << "</float></shininess>\n"
          << "          </phong>\n"
          << "        </technique>\n"
          << "      </profile_COMMON>\n"
          << "    </effect>\n";
    }
    o << "  </library_effects>\n";
}

void writeMaterials(Out& o, const SceneDescription& scene) {
    o << "  <library_materials>\n";
    for (const Material& m : scene.materials)
        o << "    <material id=\"" << m.id << "\" name=\"" << m.id << "\">\n"
          << "      <instance_effect url=\"#" << m.id << "-effect\"/>\n"
          << "    </material>\n";
    o << "  </library_materials>\n";
}

void writeSource(Out& o, const std::string& id, const std::vector<double>& values, int stride, const char* params) {
    o << "        <source id=\"" << id << "\">\n"
      << "          <float_array id=\"" << id << "-array\" count=\"" << values.size() << "\">";
    for (size_t i = 0; i < values.size(); ++i) o << (i ? " " : "") << num(values[i]);
    o << "</float_array>\n"
      << "          <technique_common>\n"
      << "            <accessor source=\"#" << id << "-array\" count=\"" << values.size() / stride << "\" stride=\""
      << size_t(stride) << "\">\n";
    for (const char* p = params; *p; ++p)
        o << "              <param name=\"" << std::string(1, *p) << "\" type=\"float\"/>\n";
    o << "            </accessor>\n"
      << "          </technique_common>\n"
      << "        </source>\n";
}

void writeGeometry(Out& o, const MeshEntry& entry, const Material& material) {
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
    o << "    <geometry id=\"" << id << "\" name=\"" << entry.id << "\">\n"
      << "      <mesh>\n";
    writeSource(o, id + "-positions", positions, 3, "XYZ");
    writeSource(o, id + "-normals", normals, 3, "XYZ");
    if (mapped) writeSource(o, id + "-map-0", uvs, 2, "ST");
    o << "        <vertices id=\"" << id << "-vertices\">\n"
      << "          <input semantic=\"POSITION\" source=\"#" << id << "-positions\"/>\n"
      << "        </vertices>\n"
      << "        <triangles material=\"" << material.id << "\" count=\"" << mesh.triangleCount() << "\">\n"
      << "          <input semantic=\"VERTEX\" source=\"#" << id << "-vertices\" offset=\"0\"/>\n"
      << "          <input semantic=\"NORMAL\" source=\"#" << id << "-normals\" offset=\"1\"/>\n";
    if (mapped) o << "          <input semantic=\"TEXCOORD\" source=\"#" << id << "-map-0\" offset=\"2\" set=\"0\"/>\n";
    o << "          <p>";
    for (size_t i = 0; i < mesh.indices.size(); ++i) {
        std::string n = std::to_string(mesh.indices[i]);
        o << (i ? " " : "") << n << " " << n << (mapped ? " " + n : std::string());
    }
    o << "</p>\n"
      << "        </triangles>\n"
      << "      </mesh>\n"
      << "    </geometry>\n";
}

void writeNode(Out& o, const SceneDescription& scene, const SceneNode& node, const std::string& indent) {
    const glm::dmat4 m = toFile(node.transform);
    o << indent << "<node id=\"" << node.id << "\" name=\"" << node.id << "\" type=\"NODE\">\n"
      << indent << "  <matrix sid=\"transform\">";
    // COLLADA lists the matrix row by row; glm indexes m[column][row].
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) o << (r || c ? " " : "") << num(m[c][r]);
    o << "</matrix>\n";
    for (int meshIndex : node.meshes) {
        const MeshEntry& entry = scene.meshes[meshIndex];
        const Material& material = scene.materials[entry.material];
        o << indent << "  <instance_geometry url=\"#" << entry.id << "-mesh\" name=\"" << entry.id << "\">\n"
          << indent << "    <bind_material>\n"
          << indent << "      <technique_common>\n"
          << indent << "        <instance_material symbol=\"" << material.id << "\" target=\"#" << material.id
          << "\">\n"
          << indent << "          <bind_vertex_input semantic=\"UVMap\" input_semantic=\"TEXCOORD\" input_set=\"0\"/>\n"
          << indent << "        </instance_material>\n"
          << indent << "      </technique_common>\n"
          << indent << "    </bind_material>\n"
          << indent << "  </instance_geometry>\n";
    }
    for (const SceneNode& child : node.children) writeNode(o, scene, child, indent + "  ");
    o << indent << "</node>\n";
}

}  // namespace

std::string ColladaWriter::write(const SceneDescription& scene) {
    Out o;
    o << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n";
    writeAsset(o);
    writeImages(o, scene);
    writeEffects(o, scene);
    writeMaterials(o, scene);
    o << "  <library_geometries>\n";
    for (const MeshEntry& entry : scene.meshes) writeGeometry(o, entry, scene.materials[entry.material]);
    o << "  </library_geometries>\n"
         "  <library_visual_scenes>\n"
         "    <visual_scene id=\"Scene\" name=\"Scene\">\n";
    for (const SceneNode& node : scene.nodes) writeNode(o, scene, node, "      ");
    o << "    </visual_scene>\n"
         "  </library_visual_scenes>\n"
         "  <scene>\n"
         "    <instance_visual_scene url=\"#Scene\"/>\n"
         "  </scene>\n"
         "</COLLADA>\n";
    return o.text;
}

bool ColladaWriter::writeFile(const SceneDescription& scene, const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    file << write(scene);
    return static_cast<bool>(file);
}

}  // namespace Quessel::SceneGen
