#pragma once
#include "math/Bounds.h"
#include "math/MathTypes.h"
#include "math/Placement.h"

#include <string>

struct aiScene;

namespace Quessel {

struct LightRecord;

// The light of a scene without the demo's circling "PointLight1": the scene's own first
// point, spot or directional light as Assimp reports it, or else one that circles above
// the scene the way the demo's light circles (half a radian a second about the vertical),
// placed and attenuated for the scene's size. The scene shaders know one point light: a
// spot lights all round and a directional light stands far off along its direction.
class SceneLight {
public:
    enum class Kind { Point, Spot, Directional, Circling };

    SceneLight(const aiScene* scene, const Bounds& bounds);

    // Moves a circling light on by `dt` seconds and writes the record's words 0-12.
    void update(double dt, LightRecord& record);
    // Which light this is, for the console and the overlay, in the scene's own coordinates.
    std::string describe(const Placement& placement = {}) const;

    // Where the light is now (in the world) and how strongly it falls off.
    vec3 position() const;
    float falloffScale() const;

    Kind kind = Kind::Circling;
    std::string name;
    vec3 colour{1.0f};
    // The scene's light: where it is and where it points, in the world.
    vec3 origin{0.0f};
    vec3 direction{0.0f, -1.0f, 0.0f};
    // The circling light's angle about the vertical through the scene's centre.
    double angle = 0.0;

    // Half a radian a second, as the demo's light turns.
    static constexpr double TurnRate = 0.5;
    // Where the circling light starts: in front of the scene and to its right, on the side
    // the framed view looks from.
    static constexpr double StartAngle = 0.8;

private:
    Bounds bounds;
};

}  // namespace Quessel
