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

using namespace Quessel::SceneGen;

namespace {

bool savePair(const std::string& dir, const std::string& texture, const std::string& normalMap,
              const SurfaceTexture& surface) {
    bool ok = ImageFiles::save(surface.colour, dir + "/" + texture);
    ok = ImageFiles::save(surface.normals, dir + "/" + normalMap) && ok;
    return ok;
}

bool writeTextures(const std::string& runDir) {
    bool ok = savePair(runDir, "whitetiles.jpg", "whitetilesnormalmap.jpg", SurfaceTextures::whiteTiles());
    ok = savePair(runDir, "wall06x04.jpg", "wall06x04normalmap.jpg", SurfaceTextures::paintedPlaster()) && ok;
    ok = savePair(runDir, "brick03.jpg", "brick03normalmap.jpg", SurfaceTextures::bricks()) && ok;
    ok = savePair(runDir, "duck.png", "ducknormalmap.png", SurfaceTextures::duckSkin(false)) && ok;
    ok = savePair(runDir, "duck.png.001.png", "duck.png.001normalmap.png", SurfaceTextures::duckSkin(true)) && ok;
    ok = savePair(runDir, "Dragon_Fruit_LR_color.jpg", "Dragon_Fruit_LR_colornormalmap.jpg",
                  SurfaceTextures::dragonFruitSkin()) &&
         ok;
    ok = ImageFiles::save(SurfaceTextures::smokePuff(128), runDir + "/smoke.png") && ok;
    ok = ImageFiles::save(SkyCubeMap::panorama(2048, 512, CourtyardLayout::skyLowestElevation),
                          runDir + "/" + CourtyardLayout::skyTexture) &&
         ok;
    return ok;
}

bool writeCubeMap(const std::string& modelDir) {
    const std::string dir = modelDir + "/TextureBox_Sphere_003";
    std::filesystem::create_directories(dir);
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
    const std::string runDir = argv[1], modelDir = argv[2];
    std::error_code error;
    std::filesystem::create_directories(runDir, error);
    std::filesystem::create_directories(modelDir, error);

    bool ok = ColladaWriter::writeFile(CourtyardLayout::build(), modelDir + "/test3.dae");
    if (!ok) std::fprintf(stderr, "quessel-scenegen: cannot write %s/test3.dae\n", modelDir.c_str());
    if (!writeTextures(runDir)) {
        std::fprintf(stderr, "quessel-scenegen: cannot write the images into %s\n", runDir.c_str());
        ok = false;
    }
    if (!writeCubeMap(modelDir)) {
        std::fprintf(stderr, "quessel-scenegen: cannot write the cube map into %s\n", modelDir.c_str());
        ok = false;
    }
    if (argc == 4) {
        const std::string awkwardDir = argv[3];
        std::filesystem::create_directories(awkwardDir, error);
        if (!ColladaWriter::writeFile(AwkwardLayout::build(), awkwardDir + "/test3.dae")) {
            std::fprintf(stderr, "quessel-scenegen: cannot write %s/test3.dae\n", awkwardDir.c_str());
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
