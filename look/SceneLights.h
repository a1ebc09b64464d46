#pragma once
#include "look/LightingBlock.h"
#include "look/PunctualLight.h"

#include <string>
#include <vector>

struct aiScene;

namespace Quessel {

struct FormatRule;

// The scene's own lights in world space, read by its format's rule: glTF's intensities are
// physical (a point light's candela give irradiance I / d^2, a directional light's lux
// directly, both inverse-square as Assimp reports them); other formats' colours light a white
// surface facing them to that colour, so their irradiance is pi x colour, with the file's
// constant, linear and quadratic falloff. Spot cones come as half angles from glTF and as
// full angles elsewhere. Ambient lights are left to the environment; area lights shine as
// points. At most Max lights are kept, the rest named in `notes`.
class SceneLights {
public:
    static constexpr int Max = LightingBlock::MaxLights;
    // The key light's irradiance when the scene brings no light.
    static constexpr float KeyIrradiance = 2.0f;

    static std::vector<PunctualLight> read(const aiScene* scene, const FormatRule& rule,
                                           std::vector<std::string>* notes = nullptr);
    // The light that circles a scene without lights: directional, from `angle` radians
    // around the vertical axis, 40 degrees above the horizon.
    static PunctualLight key(float angle);
};

}  // namespace Quessel
