#pragma once
#include "app/CameraPath.h"
#include "app/DemoScene.h"
#include "math/Framing.h"
#include "math/Placement.h"

#include <memory>
#include <string>
#include <vector>

namespace Quessel {

class IEnvironmentMapRenderer;
class Importer;
class SceneLight;
class SceneryObject;

// What set-up does for a scene a tool opens beyond the demo's own steps: it checks that the
// nodes named to reflect or refract are there and that a brought scene has something to
// draw, frames a brought scene at its own size, takes the cube maps of its mirrors from the
// middle of their meshes, lights it when it lacks the demo's light, and makes its tour. The
// demo's own scene, with no names given, goes through it untouched.
class SceneFit {
public:
    explicit SceneFit(const DemoScene& scene);
    ~SceneFit();

    // Before the import: false with why, when what the file declares and the cube maps of
    // the objects named to reflect or refract cannot fit in the scene's memory budget.
    bool checkMemory(SetupFailure& failure);
    // What the import may take while it runs; 0: no limit.
    uint64_t importCeiling() const;
    // After the import: false with why, when what it took and a cube map for every object
    // that reflects or refracts (the demo's spheres too) pass the budget.
    bool checkEffects(Importer& importer, SetupFailure& failure) const;
    // After the import: false with why, when a name matches no node or is given twice.
    bool checkNames(const Importer& importer, SetupFailure& failure) const;
    // After the meshes: false with why, when a brought scene has no triangles to draw; the
    // meshes it leaves out are noted.
    bool checkDrawable(const Importer& importer, SetupFailure& failure);
    // Before the meshes are built: a brought scene moved to where it is drawn best (see
    // Placement); false with why when its box is not finite or its size is one floats cannot
    // draw. Nothing for the demo's own.
    bool place(const Importer& importer, SetupFailure& failure);
    // After the meshes: a brought scene framed at its size, from what it draws.
    bool frame(const Importer& importer, SetupFailure& failure);
    // Before the renderers take their objects' positions.
    void centreMirrors(Importer& importer) const;
    void fitRenderers(const std::vector<std::unique_ptr<IEnvironmentMapRenderer>>& renderers) const;
    // After the demo's light is set up: the scene's own, or one circling above it, when a
    // brought scene has no PointLight1.
    void light(Importer& importer);
    // Each frame, after the demo's light has moved.
    void animate(double step, Importer& importer);

    CameraPath::Script tour(const Importer& importer, const std::vector<SceneryObject*>& objects) const;

    const Framing* framing() const { return sceneFraming.get(); }
    // Where the scene is drawn: none but in its own coordinates for the demo's own.
    const Placement& placement() const { return scenePlacement; }
    const std::string& lightInUse() const { return lightText; }
    const std::vector<std::string>& notes() const { return said; }

private:
    bool named(const std::string& name) const;
    // How many objects are named to reflect or refract: each gets a cube map.
    size_t namedObjects() const;

    const DemoScene& scene;
    // The process's resident memory before the import.
    size_t residentBefore = 0;
    // The scene's framed box in its own coordinates, and where it is drawn.
    WideBounds ownBounds;
    Placement scenePlacement;
    std::unique_ptr<Framing> sceneFraming;
    std::unique_ptr<SceneLight> sceneLight;
    std::string lightText;
    std::vector<std::string> said;
};

}  // namespace Quessel
