#pragma once
#include "fit/DemoScene.h"
#include "fit/SceneFitting.h"
#include "math/Framing.h"
#include "math/Placement.h"

#include <memory>
#include <string>
#include <vector>

namespace Quessel {

class Importer;
class SceneLight;

// What set-up does for a scene beyond the demo's own steps, in the stages of set-up: it
// checks the memory budget and that the nodes named to reflect or refract are there, moves
// a brought scene to where it is drawn best, checks it has something to draw, frames it at
// its own size, takes the cube maps of its mirrors from the middle of their meshes and
// lights it when it lacks the demo's light. What it makes of the scene is one value,
// fitting(), which our own scene has too; our own scene's steps are the demo's.
class SceneFit {
public:
    explicit SceneFit(const DemoScene& scene);
    ~SceneFit();

    // Before the import: false with why, when what the file declares and the cube maps of
    // the objects named to reflect or refract cannot fit in the scene's memory budget.
    bool admit(SetupFailure& failure);
    // What the import may take while it runs; 0: no limit.
    uint64_t importCeiling() const;
    // After the import: false with why, when a name matches no node or is given twice, when
    // what the import took and a cube map for every object that reflects or refracts pass
    // the budget, or when a brought scene's box is not finite or of a size floats cannot
    // draw; else a brought scene is moved to where it is drawn (see Placement).
    bool placeImported(Importer& importer, SetupFailure& failure);
    // After the meshes: false with why, when a brought scene has no triangles to draw (the
    // meshes it leaves out are noted); else the scene is framed and the mirrors' cube maps
    // are taken from the middle of their meshes.
    bool fitMeshes(Importer& importer, SetupFailure& failure);
    // After the demo's light is set up: the scene's own, or one circling above it, when a
    // brought scene has no PointLight1.
    void light(Importer& importer);
    // Each frame, after the demo's light has moved.
    void animate(double step, Importer& importer);
    // A brought scene drawn with its own look: what lights it, said with the notes.
    void describeLook(const std::vector<std::string>& notes);

    const SceneFitting& fitting() const { return fitted; }

private:
    bool named(const std::string& name) const;
    // How many objects are named to reflect or refract: each gets a cube map.
    size_t namedObjects() const;
    bool checkNames(const Importer& importer, SetupFailure& failure) const;
    bool checkEffects(Importer& importer, SetupFailure& failure) const;
    bool place(const Importer& importer, SetupFailure& failure);
    bool checkDrawable(const Importer& importer, SetupFailure& failure);
    bool frame(const Importer& importer, SetupFailure& failure);
    void centreMirrors(Importer& importer) const;
    void measureObjects(Importer& importer);

    const DemoScene& scene;
    // The process's resident memory before the import.
    size_t residentBefore = 0;
    // The scene's framed box in its own coordinates.
    WideBounds ownBounds;
    SceneFitting fitted;
    // Lit by its own look (describeLook), not by the demo's light.
    bool ownLook = false;
    std::unique_ptr<SceneLight> sceneLight;
};

}  // namespace Quessel
