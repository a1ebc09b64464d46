#include "fit/DemoScene.h"

#include "core/MemoryCeiling.h"

#include <filesystem>
#include <utility>

namespace Quessel {

DemoScene DemoScene::forTool(const std::string& path, std::vector<std::string> mirrors,
                             std::vector<std::string> glass, const LookOptions& look) {
    DemoScene scene;
    if (!path.empty()) {
        scene.path = path;
        scene.brought = true;
        scene.imageFolders = {std::filesystem::path(path).parent_path().string()};
    }
    scene.mirrors = std::move(mirrors);
    scene.glass = std::move(glass);
    scene.memoryBudget = MemoryCeiling::budget();
    scene.validated = true;
    scene.ownLook = look.look != "demo";
    scene.sky = look.sky;
    scene.background = look.background;
    scene.smoke = look.smoke;
    return scene;
}

}  // namespace Quessel
