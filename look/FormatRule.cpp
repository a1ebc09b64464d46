#include "look/FormatRule.h"

#include <assimp/commonMetaData.h>
#include <assimp/scene.h>

namespace Quessel {

namespace {

using M = FormatRule::Materials;
using I = FormatRule::Invented;

// importer, label, materials, invented, sRGB colours, sides from file, physical lights, half cones.
// 3DS colours and PLY vertex colours are taken as linear, as the common web viewers take them
// (measured against one: decoded from sRGB, both came out a third darker).
const FormatRule Rules[] = {
    {"glTF2 Importer", "glTF 2", M::MetallicRoughness, I::GltfDefault, false, true, true, true},
    {"glTF Importer", "glTF 1", M::Phong, I::DefaultName, true, false, false, false},
    {"Collada Importer", "COLLADA", M::Phong, I::DefaultName, true, false, false, false},
    {"Wavefront Object Importer", "OBJ", M::Phong, I::DefaultName, true, false, false, false},
    {"Discreet 3DS Importer", "3DS", M::Phong, I::DefaultName, false, false, false, false},
    {"Autodesk FBX Importer", "FBX", M::Phong, I::DefaultName, true, false, false, false},
    {"Stanford Polygon Library (PLY) Importer", "PLY", M::Phong, I::PlyDefault, false, false, false, false},
    {"Stereolithography (STL) Importer", "STL", M::None, I::DefaultName, true, false, false, false},
};
const FormatRule Other = {"", "other", M::Phong, I::DefaultName, true, false, false, false};

}  // namespace

const FormatRule& FormatRule::of(const std::string& importer) {
    for (const FormatRule& rule : Rules)
        if (importer == rule.importer) return rule;
    return Other;
}

const FormatRule& FormatRule::of(const aiScene* scene) {
    aiString importer;
    if (scene && scene->mMetaData && scene->mMetaData->Get(AI_METADATA_SOURCE_FORMAT, importer))
        return of(std::string(importer.C_Str()));
    return Other;
}

}  // namespace Quessel
