#pragma once
#include <string>

namespace Quessel {

// How a tool shows a brought scene, as its command line gives it (see DemoScene).
struct LookOptions {
    // "own" (the scene's environment, lights and materials) or "demo" (the demo's shading).
    std::string look = "own";
    // An equirectangular panorama (.hdr, .exr or an image); empty: the studio made in code.
    std::string sky;
    // "sky", "grey" or "#RRGGBB".
    std::string background = "grey";
    // The node the smoke rises from; empty: none in a brought scene.
    std::string smoke;

    // The options as a tool's usage lists them.
    static constexpr const char* Help =
        "  --look L        own: a brought scene with its own environment, lights and\n"
        "                  materials (default); demo: with the demo's shading\n"
        "  --sky FILE      the environment: an equirectangular .hdr, .exr or image panorama\n"
        "                  (default: a neutral studio made in code)\n"
        "  --background B  behind a brought scene: sky, grey (default) or #RRGGBB\n"
        "  --smoke NODE    the smoke rises from NODE of a brought scene (default: none)\n";
};

}  // namespace Quessel
