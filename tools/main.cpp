// quessel-scenegen <runDir> <modelDir> [<awkwardDir>]
// Writes the demo's scene content: the textures, normal maps and smoke sprite into the run
// directory, test3.dae and the prepared cube map of Sphere_003 into the model directory, and
// with a third folder also the awkward test scene (test3.dae, using the same images) there.
#include "AwkwardLayout.h"
#include "ColladaWriter.h"
#include "CourtyardLayout.h"
#include "ImageFiles.h"
#include "SkyCubeMap.h"
#include "SurfaceTextures.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

using namespace Quessel::SceneGen;

namespace {

bool writeTextures(const std::string& runDir) {
    bool ok = true;
    auto save = [&](const Image& image, const std::string& file) {
        ok = ImageFiles::save(image, runDir + "/" + file) && ok;
    };
    const std::pair<std::string, SurfaceTexture> surfaces[] = {
        {"whitetiles.jpg", SurfaceTextures::whiteTiles()},
        {"wall06x04.jpg", SurfaceTextures::paintedPlaster()},
        {"brick03.jpg", SurfaceTextures::bricks()},
        {"duck.png", SurfaceTextures::duckSkin(false)},
        {"duck.png.001.png", SurfaceTextures::duckSkin(true)},
        {"Dragon_Fruit_LR_color.jpg", SurfaceTextures::dragonFruitSkin()}};
    for (const auto& [file, surface] : surfaces) {
        // The normal map is named after its texture with "normalmap" before the extension.
        const size_t dot = file.rfind('.');
        save(surface.colour, file);
        save(surface.normals, file.substr(0, dot) + "normalmap" + file.substr(dot));
    }
    save(SurfaceTextures::smokePuff(128), "smoke.png");
    save(SkyCubeMap::panorama(2048, 512, CourtyardLayout::skyLowestElevation), CourtyardLayout::skyTexture);
    return ok;
}

bool writeCubeMap(const std::string& modelDir) {
    const std::string dir = modelDir + "/TextureBox_Sphere_003";
    std::error_code error;  // a folder that cannot be made shows as faces that cannot be written
    std::filesystem::create_directories(dir, error);
    bool ok = true;
    for (int face = 0; face < 6; ++face)
        ok = ImageFiles::saveTga(SkyCubeMap::face(face), dir + "/" + SkyCubeMap::faceNames[face] + ".tga") && ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: quessel-scenegen <runDir> <modelDir> [<awkwardDir>]\n");
        return 2;
    }
    const std::string runDir = argv[1], modelDir = argv[2], awkwardDir = argc == 4 ? argv[3] : "";
    bool ok = true;
    auto check = [&](bool written, const std::string& what) {
        if (!written) std::fprintf(stderr, "quessel-scenegen: cannot write %s\n", what.c_str());
        ok = written && ok;
    };
    std::error_code error;
    for (const std::string& dir : {runDir, modelDir}) std::filesystem::create_directories(dir, error);

    check(ColladaWriter::writeFile(CourtyardLayout::build(), modelDir + "/test3.dae"), modelDir + "/test3.dae");
    check(writeTextures(runDir), "the images into " + runDir);
    check(writeCubeMap(modelDir), "the cube map into " + modelDir);
    if (argc == 4) {
        std::filesystem::create_directories(awkwardDir, error);
        check(ColladaWriter::writeFile(AwkwardLayout::build(), awkwardDir + "/test3.dae"), awkwardDir + "/test3.dae");
    }
    return ok ? 0 : 1;
}
