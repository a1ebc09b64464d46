#pragma once
#include <string>

struct aiScene;

namespace Quessel {

// How the look reads what one file format says, as Assimp's importer for it reports it.
// The table of rows lives in FormatRule.cpp; an importer without a row is read as Phong.
struct FormatRule {
    // How materials are read.
    enum class Materials {
        MetallicRoughness,  // glTF 2: base colour, metallic, roughness and textures as given
        Phong,              // diffuse, specular, shininess, opacity converted (MaterialReader)
        None,               // the format has no materials: every one is the importer's
    };
    // Which materials are the importer's invention rather than the file's.
    enum class Invented {
        DefaultName,     // only those named AI_DEFAULT_MATERIAL_NAME
        PlyDefault,      // also unnamed ones with diffuse, specular and ambient all 1
        GltfDefault,     // also unnamed ones with glTF's defaults (white, metallic 1, rough 1)
    };

    const char* importer;  // the scene's "SourceAsset_Format" metadata
    const char* label;     // for messages and the overlay
    Materials materials;
    Invented invented;
    // Colour factors and vertex colours in sRGB (decoded) rather than linear.
    bool srgbColors;
    // Whether the file's single-sided flag is to be trusted (glTF: the winding is defined);
    // other formats' meshes are drawn from both sides.
    bool doubleSidedFromFile;
    // Lights: intensities in physical units (candela, lux) rather than a colour that lights
    // a white surface facing it to that colour; cone angles from the axis (half angles)
    // rather than across the cone.
    bool physicalLights;
    bool halfConeAngles;

    // The row for the importer that read `scene`.
    static const FormatRule& of(const aiScene* scene);
    static const FormatRule& of(const std::string& importer);
};

}  // namespace Quessel
