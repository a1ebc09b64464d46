#pragma once
#include "fit/LookOptions.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Quessel {

// Which scene set-up imports: the demo's own, or another one a tool opens.
struct DemoScene {
    std::string path = "../Model/test3.dae";
    // Folders where the scene's images are looked for first; the working directory comes last.
    std::vector<std::string> imageFolders;
    // A scene a tool brought instead of the demo's own: seen at its own scale (its bounds
    // set the projection's planes, the cube maps' and the starting view), lit by a light of
    // its own when it lacks the demo's, and its cube maps are not written to ../Model/.
    bool brought = false;
    // Nodes that reflect and that refract besides the demo's spheres.
    std::vector<std::string> mirrors;
    std::vector<std::string> glass;
    // Bytes the import and the cube maps may take together (see MemoryBudget); 0: no limit.
    uint64_t memoryBudget = 0;
    // Whether what the file's parser built is checked before any other step of the import.
    bool validated = false;

    // How a brought scene looks: its own look (its environment, lights and materials, a
    // filmic tone) or, false, the demo's shading (--look demo).
    bool ownLook = true;
    // The environment's panorama (--sky); empty: the studio made in code.
    std::string sky;
    // What shows behind it (--background): sky, grey or #RRGGBB.
    std::string background = "grey";
    // The node the smoke rises from (--smoke); empty: no smoke in a brought scene.
    std::string smoke;

    // What a tool opens: the demo's own scene when `path` is empty, else that file with its
    // images looked for beside it first; either validated and within the memory budget,
    // with the nodes named reflecting and refracting.
    static DemoScene forTool(const std::string& path, std::vector<std::string> mirrors, std::vector<std::string> glass,
                             const LookOptions& look = {});
};

// Why set-up failed: what to say and the status to end with.
struct SetupFailure {
    int status = 1;
    std::string message;
};

}  // namespace Quessel
