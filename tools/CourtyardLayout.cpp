#include "CourtyardLayout.h"

#include <glm/geometric.hpp>
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/mat3x3.hpp>

#include <cmath>
#include <utility>

namespace Quessel::SceneGen {

const glm::dvec3 CourtyardLayout::chimneyTop{-4.06, 7.54, -5.16};
const glm::dvec3 CourtyardLayout::spherePositions[4] = {
    {0.169, 1.502, 2.406}, {-3.632, 1.502, 4.997}, {-1.930, 1.502, 3.232}, {-1.6, 1.502, 21.2}};
const glm::dvec3 CourtyardLayout::staticLight{12.3, 6.6, 8.1};
const glm::dvec3 CourtyardLayout::circlingLight{3.2, 7.5, 3.2};

namespace {

constexpr double pi = glm::pi<double>();
const glm::dvec3 up{0, 1, 0};

// Texture repeats in metres: tiles keep half a metre, bricks about 0.3 m.
constexpr double tileRepeat = 2.0;
constexpr double plasterRepeat = 3.0;
constexpr double brickRepeat = 1.2;
constexpr double stoneRepeat = 1.0;

struct Materials {
    int tiles, plaster, brick, duckBody, duckHead, dragonFruit;
    int chrome, glass, skyBall, stone, windowGlass, wood, slate, soot, beak, eye, bulb, leaf, soil, water, sky;
};

Materials addMaterials(SceneDescription& scene) {
    auto textured = [&](const char* id, const char* file, double specular, double shininess) {
        return scene.addMaterial({id, file, grey(0), grey(0.25), grey(0.8), grey(specular), shininess});
    };
    // Old look kept under the shader's one rule: ambient light on a plain colour d was
    // (0.3 d + sky fill) d, so its ambient reflectance is 0.3 d squared.
    auto plain = [&](const char* id, Colour diffuse, double specular, double shininess) {
        Colour ambient{0.3 * diffuse.r * diffuse.r, 0.3 * diffuse.g * diffuse.g, 0.3 * diffuse.b * diffuse.b, 1};
        return scene.addMaterial({id, "", grey(0), ambient, diffuse, grey(specular), shininess});
    };
    Materials m{};
    m.tiles = textured("Tiles", "whitetiles.jpg", 0.5, 64);
    m.plaster = textured("Plaster", "wall06x04.jpg", 0.08, 8);
    m.brick = textured("Brick", "brick03.jpg", 0.12, 12);
    m.duckBody = textured("DuckBody", "duck.png", 0.6, 80);
    m.duckHead = textured("DuckHead", "duck.png.001.png", 0.6, 80);
    m.dragonFruit = textured("DragonFruitSkin", "Dragon_Fruit_LR_color.jpg", 0.35, 40);
    m.chrome = plain("Chrome", rgb(0.78, 0.79, 0.82), 1.0, 128);
    m.glass = plain("Glass", rgb(0.86, 0.93, 0.96), 1.0, 160);
    m.skyBall = plain("SkyBall", rgb(0.80, 0.86, 0.92), 0.9, 96);
    m.stone = plain("Stone", rgb(0.74, 0.71, 0.66), 0.1, 8);
    m.windowGlass = plain("WindowGlass", rgb(0.13, 0.17, 0.22), 0.8, 90);
    m.wood = plain("Wood", rgb(0.42, 0.25, 0.13), 0.15, 12);
    m.slate = plain("Slate", rgb(0.27, 0.28, 0.31), 0.2, 16);
    m.soot = plain("Soot", rgb(0.05, 0.045, 0.04), 0.0, 1);
    m.beak = plain("Beak", rgb(1.0, 0.45, 0.05), 0.5, 60);
    m.eye = plain("Eye", rgb(0.02, 0.02, 0.02), 1.0, 100);
    m.leaf = plain("Leaf", rgb(0.30, 0.52, 0.17), 0.1, 10);
    m.soil = plain("Soil", rgb(0.26, 0.18, 0.11), 0.0, 1);
    m.water = plain("Water", rgb(0.18, 0.32, 0.40), 1.0, 120);
    m.bulb = scene.addMaterial({"Bulb", "", rgb(1.0, 0.93, 0.75), grey(1.0), rgb(1.0, 0.96, 0.85), grey(1.0), 32});
    // The sky: emissive only, so it shows its panorama unlit and without gloss. A COLLADA
    // diffuse texture comes with a white diffuse colour, which the sky fill and the faint
    // light at the dome add to the emission: together about 1.
    m.sky = scene.addMaterial({"Sky", CourtyardLayout::skyTexture, grey(0.9), grey(0), grey(1), grey(0), 1});
    return m;
}

glm::dmat4 at(const glm::dvec3& position) { return glm::translate(glm::dmat4(1.0), position); }

// The floor's middle at ground level.
const glm::dvec3 middle{0.5 * (CourtyardLayout::minX + CourtyardLayout::maxX), 0.0,
                        0.5 * (CourtyardLayout::minZ + CourtyardLayout::maxZ)};

SceneNode& addNode(SceneDescription& scene, const std::string& id, const glm::dmat4& transform = glm::dmat4(1.0)) {
    return scene.nodes.emplace_back(SceneNode{id, transform, {}, {}});
}

// The mesh is named after its node plus `suffix`; an empty one is left out.
void addMesh(SceneDescription& scene, SceneNode& node, const std::string& suffix, Mesh mesh, int material) {
    if (mesh.positions.empty()) return;
    node.meshes.push_back(scene.addMesh(node.id + suffix, std::move(mesh), material));
}

Mesh merged(std::initializer_list<Mesh> parts) {
    Mesh mesh;
    for (const Mesh& part : parts) mesh.append(part);
    return mesh;
}

// Four walls round a square opening centred on (x, z): the two across z, then the two between them.
Mesh squareRing(double x, double z, double outer, double inner, double y0, double y1, double tile) {
    return merged({makeBox({x - outer, y0, z - outer}, {x + outer, y1, z - inner}, tile),
                   makeBox({x - outer, y0, z + inner}, {x + outer, y1, z + outer}, tile),
                   makeBox({x - outer, y0, z - inner}, {x - inner, y1, z + inner}, tile),
                   makeBox({x + inner, y0, z - inner}, {x + outer, y1, z + inner}, tile)});
}

// One courtyard side, described in its own terms: `along` runs with the wall, `depth` from
// the wall plane into the courtyard, heights are world y.
struct Side {
    const char* name;
    bool alongX;      // wall runs along x (north/south) or along z (west/east)
    double plane;     // z or x of the inner wall plane
    double inward;    // +1 or -1: direction of the courtyard from the plane
    double from, to;  // extent along the wall

    Mesh box(double a0, double a1, double y0, double y1, double d0, double d1, double tile) const {
        double p0 = plane + inward * d0, p1 = plane + inward * d1;
        if (p0 > p1) std::swap(p0, p1);
        if (alongX) return makeBox({a0, y0, p0}, {a1, y1, p1}, tile);
        return makeBox({p0, y0, a0}, {p1, y1, a1}, tile);
    }
};

void addFacade(SceneDescription& scene, const Materials& m, const Side& side) {
    SceneNode& node = addNode(scene, std::string("Facade_") + side.name);
    const double a0 = side.from - 0.5, a1 = side.to + 0.5;
    Mesh stone, glass, wood;
    stone.append(side.box(a0, a1, 3.98, 4.22, -0.5, 0.22, stoneRepeat));  // storey ledge
    stone.append(side.box(a0, a1, 11.6, 12.0, -0.5, 0.32, stoneRepeat));  // cornice

    const double spacing = 3.2;
    int count = static_cast<int>((side.to - side.from - 4.0) / spacing) + 1;
    double first = 0.5 * (side.from + side.to) - 0.5 * spacing * (count - 1);
    for (int i = 0; i < count; ++i) {
        double c = first + spacing * i;
        for (double y0 : {5.3, 8.5}) {
            double y1 = y0 + 2.0;
            glass.append(side.box(c - 0.6, c + 0.6, y0, y1, 0.0, 0.04, stoneRepeat));
            stone.append(side.box(c - 0.75, c + 0.75, y0 - 0.14, y0, 0.0, 0.16, stoneRepeat));
            stone.append(side.box(c - 0.75, c + 0.75, y1, y1 + 0.18, 0.0, 0.07, stoneRepeat));
            wood.append(side.box(c - 1.3, c - 0.65, y0, y1, 0.0, 0.05, stoneRepeat));
            wood.append(side.box(c + 0.65, c + 1.3, y0, y1, 0.0, 0.05, stoneRepeat));
        }
        // Ground storey: a door every third bay, shop windows between.
        if (i % 3 == 1) {
            wood.append(side.box(c - 0.65, c + 0.65, 0.0, 2.6, 0.1, 0.15, stoneRepeat));
            stone.append(side.box(c - 0.8, c + 0.8, 2.6, 2.8, 0.1, 0.18, stoneRepeat));
        } else {
            glass.append(side.box(c - 0.9, c + 0.9, 1.0, 2.8, 0.1, 0.13, stoneRepeat));
            stone.append(side.box(c - 1.0, c + 1.0, 0.86, 1.0, 0.1, 0.24, stoneRepeat));
        }
    }
    addMesh(scene, node, "_Stone", stone, m.stone);
    addMesh(scene, node, "_Windows", glass, m.windowGlass);
    addMesh(scene, node, "_Timber", wood, m.wood);
    addMesh(scene, node, "_Brick", side.box(a0, a1, 0.0, 4.0, -0.5, 0.1, brickRepeat), m.brick);
    addMesh(scene, node, "_Plaster", side.box(a0, a1, 4.0, 11.6, -0.5, 0.0, plasterRepeat), m.plaster);
}

void addBakehouse(SceneDescription& scene, const Materials& m) {
    SceneNode& node = addNode(scene, "Bakehouse");
    addMesh(scene, node, "_Door", makeBox({-2.6, 0.0, -4.2}, {-1.7, 2.2, -4.14}, stoneRepeat), m.wood);
    addMesh(scene, node, "_Windows",
            merged({makeBox({-6.1, 1.2, -4.2}, {-5.0, 2.4, -4.16}, stoneRepeat),
                    makeBox({-1.3, 1.2, -8.2}, {-1.26, 2.4, -7.0}, stoneRepeat)}),
            m.windowGlass);
    addMesh(scene, node, "_Sills",
            merged({makeBox({-6.2, 1.08, -4.2}, {-4.9, 1.2, -4.06}, stoneRepeat),
                    makeBox({-1.3, 1.08, -8.3}, {-1.16, 1.2, -6.9}, stoneRepeat)}),
            m.stone);
    addMesh(scene, node, "_Walls", makeBox({-6.8, 0.0, -9.8}, {-1.3, 3.6, -4.2}, brickRepeat), m.brick);
    addMesh(scene, node, "_Roof", makeBox({-7.0, 3.6, -10.0}, {-1.1, 3.85, -4.0}, stoneRepeat), m.slate);

    // The chimney: a brick shaft, a crown round the flue, soot inside; the flue mouth is
    // the emitter's height so the smoke leaves from the opening.
    SceneNode chimney{"Chimney", glm::dmat4(1.0), {}, {}};
    const glm::dvec3 top = CourtyardLayout::chimneyTop;
    const double crown = 7.30, inner = 0.4;
    addMesh(scene, chimney, "_Shaft",
            merged({makeBox({top.x - 0.5, 3.85, top.z - 0.5}, {top.x + 0.5, crown, top.z + 0.5}, brickRepeat),
                    squareRing(top.x, top.z, 0.6, inner, crown, top.y, brickRepeat)}),
            m.brick);
    addMesh(scene, chimney, "_Flue",
            makeBox({top.x - inner, crown, top.z - inner}, {top.x + inner, crown + 0.04, top.z + inner}, stoneRepeat),
            m.soot);
    node.children.push_back(chimney);
}

// Rubber duck facing its local +x; bottom on the floor.
void addDuck(SceneDescription& scene, const Materials& m) {
    SceneNode& duck =
        addNode(scene, "RubberDuck", at({-5.0, 0.0, 20.0}) * glm::rotate(glm::dmat4(1.0), 35.0 * pi / 180.0, up));
    addMesh(scene, duck, "_Body",
            merged({makeEllipsoid({0, 0.72, 0}, {1.15, 0.72, 0.85}, 32, 16, 2.0, 1.0),
                    makeEllipsoid({-0.98, 1.02, 0}, {0.36, 0.30, 0.32}, 16, 8)}),
            m.duckBody);
    addMesh(scene, duck, "_Head", makeEllipsoid({0.62, 1.76, 0}, {0.56, 0.53, 0.53}, 32, 16, 2.0, 1.0), m.duckHead);
    addMesh(scene, duck, "_Beak", makeEllipsoid({1.17, 1.66, 0}, {0.33, 0.10, 0.25}, 24, 12), m.beak);
    addMesh(scene, duck, "_Eyes",
            merged({makeEllipsoid({0.98, 1.93, 0.23}, {0.075, 0.075, 0.075}, 12, 6),
                    makeEllipsoid({0.98, 1.93, -0.23}, {0.075, 0.075, 0.075}, 12, 6)}),
            m.eye);
}

void addDragonFruit(SceneDescription& scene, const Materials& m) {
    SceneNode& node = addNode(scene, "DragonFruit", at({-8.0, 0.0, 10.0}) * glm::rotate(glm::dmat4(1.0), 0.4, up));
    addMesh(scene, node, "_Plinth", makeBox({-0.65, 0, -0.65}, {0.65, 0.6, 0.65}, stoneRepeat), m.stone);
    addMesh(scene, node, "_Skin", makeEllipsoid({0, 1.5, 0}, {0.62, 0.92, 0.62}, 32, 16, 2.0, 1.5), m.dragonFruit);
    addMesh(scene, node, "_Stem", makeEllipsoid({0, 2.42, 0}, {0.12, 0.09, 0.12}, 12, 6), m.leaf);
}

// Brick planter under a west shop window, with a row of clipped bushes.
void addPlanter(SceneDescription& scene, const Materials& m, const std::string& id, double zCentre) {
    SceneNode& node = addNode(scene, id, at({-11.15, 0.0, zCentre}));
    addMesh(scene, node, "_Box", makeBox({-0.5, 0, -1.6}, {0.5, 0.7, 1.6}, brickRepeat), m.brick);
    addMesh(scene, node, "_Soil", makeBox({-0.42, 0.7, -1.52}, {0.42, 0.72, 1.52}, stoneRepeat), m.soil);
    Mesh bushes;
    for (double z : {-1.0, 0.0, 1.0}) bushes.append(makeEllipsoid({0, 1.15, z}, {0.45, 0.5, 0.48}, 16, 8));
    addMesh(scene, node, "_Bushes", bushes, m.leaf);
}

// Square stone basin with a bowl on a column; the water surface sits below the rim.
void addFountain(SceneDescription& scene, const Materials& m) {
    SceneNode& node = addNode(scene, "Fountain", at({6.5, 0.0, 10.0}));
    const double inner = 1.55;
    addMesh(scene, node, "_Stone",
            merged({squareRing(0, 0, 1.8, inner, 0, 0.55, stoneRepeat),
                    makeBox({-0.2, 0, -0.2}, {0.2, 1.3, 0.2}, stoneRepeat),
                    makeEllipsoid({0, 1.4, 0}, {0.75, 0.22, 0.75}, 16, 8)}),
            m.stone);
    addMesh(scene, node, "_Water",
            merged({makeBox({-inner, 0, -inner}, {inner, 0.42, inner}, stoneRepeat),
                    makeEllipsoid({0, 1.58, 0}, {0.55, 0.06, 0.55}, 12, 6)}),
            m.water);
}

// A clipped tree in a stone tub.
void addTree(SceneDescription& scene, const Materials& m, const std::string& id, const glm::dvec3& base) {
    SceneNode& node = addNode(scene, id, at(base));
    addMesh(scene, node, "_Tub", makeBox({-0.6, 0, -0.6}, {0.6, 0.8, 0.6}, stoneRepeat), m.stone);
    addMesh(scene, node, "_Trunk", makeBox({-0.14, 0.8, -0.14}, {0.14, 3.0, 0.14}, stoneRepeat), m.wood);
    addMesh(scene, node, "_Crown",
            merged({makeEllipsoid({0, 3.6, 0}, {1.2, 1.0, 1.2}, 16, 8),
                    makeEllipsoid({0.45, 4.3, 0.2}, {0.8, 0.7, 0.8}, 16, 8),
                    makeEllipsoid({-0.4, 4.2, -0.3}, {0.75, 0.65, 0.75}, 16, 8)}),
            m.leaf);
}

void addBench(SceneDescription& scene, const Materials& m, const std::string& id, double z) {
    SceneNode& node = addNode(scene, id, at({12.2, 0.0, z}));
    addMesh(scene, node, "_Legs",
            merged({makeBox({-0.2, 0, -0.9}, {0.2, 0.42, -0.7}, stoneRepeat),
                    makeBox({-0.2, 0, 0.7}, {0.2, 0.42, 0.9}, stoneRepeat)}),
            m.stone);
    addMesh(scene, node, "_Seat", makeBox({-0.28, 0.42, -1.1}, {0.28, 0.5, 1.1}, stoneRepeat), m.wood);
}

// Every mesh draws the triangles that face the middle of the courtyard first: the cameras
// (the path and the spheres) are all in there.
void sortFacingTheMiddle(SceneDescription& scene, const SceneNode& node, const glm::dmat4& parent) {
    const glm::dmat4 transform = parent * node.transform;
    // Node transforms are rigid here: the inverse turns back by the transpose.
    const glm::dmat3 turnBack = glm::transpose(glm::dmat3(transform));
    const glm::dvec3 local = turnBack * (middle + glm::dvec3(0, 3, 0)) - turnBack * glm::dvec3(transform[3]);
    for (int mesh : node.meshes) scene.meshes[mesh].mesh.sortFacingFirst(local);
    for (const SceneNode& child : node.children) sortFacingTheMiddle(scene, child, transform);
}

}  // namespace

SceneDescription CourtyardLayout::build() {
    SceneDescription scene;
    const Materials m = addMaterials(scene);

    // Node and mesh order is draw order. Shading dominates the frame on a software
    // rasteriser and the depth test only spares pixels behind what is already drawn, so
    // the furniture comes first, then the bakehouse and the facades (their trim before
    // the walls behind it), then the floor, and the sky dome last of all.
    const char* sphereIds[4] = {"Sphere", "Sphere_001", "Sphere_002", "Sphere_003"};
    const int sphereMaterials[4] = {m.chrome, m.chrome, m.glass, m.skyBall};
    for (int i = 0; i < 4; ++i) {
        const glm::dvec3& p = spherePositions[i];
        // A display sphere: unit radius around its node origin, translation only.
        addMesh(scene, addNode(scene, sphereIds[i], at(p)), "", makeEllipsoid({0, 0, 0}, {1, 1, 1}, 32, 16),
                sphereMaterials[i]);
        // The sphere rests just clear of its plinth.
        addMesh(scene, addNode(scene, std::string("Plinth_") + char('A' + i), at({p.x, 0, p.z})), "",
                makeBox({-0.7, 0, -0.7}, {0.7, p.y - 1.0 - 0.002, 0.7}, stoneRepeat), m.stone);
    }

    addDuck(scene, m);
    addDragonFruit(scene, m);
    addBench(scene, m, "Bench_North", 3.3);
    addBench(scene, m, "Bench_South", 9.7);
    addFountain(scene, m);
    addTree(scene, m, "Tree_North", {10.4, 0.0, -1.5});
    addTree(scene, m, "Tree_South", {10.4, 0.0, 15.5});
    addPlanter(scene, m, "Planter_North", 0.1);
    addPlanter(scene, m, "Planter_South", 16.1);
    addBakehouse(scene, m);

    const Side sides[4] = {
        {"North", true, minZ, 1, minX, maxX},
        {"South", true, maxZ, -1, minX, maxX},
        {"West", false, minX, 1, minZ, maxZ},
        {"East", false, maxX, -1, minZ, maxZ},
    };
    for (const Side& side : sides) addFacade(scene, m, side);

    addMesh(scene, addNode(scene, "Floor"), "", makeBox({minX, -0.2, minZ}, {maxX, 0.0, maxZ}, tileRepeat), m.tiles);
    // Inward hemisphere over the whole courtyard, reaching a little below the horizon so no
    // view over the roofs runs out of sky.
    addMesh(scene, addNode(scene, "SkyDome"), "", makeDome(middle, skyRadius, 24, 8, skyLowestElevation), m.sky);
    for (const auto& [id, position] : {std::pair{"PointLight", staticLight}, std::pair{"PointLight1", circlingLight}})
        addMesh(scene, addNode(scene, id, at(position)), "_Bulb", makeEllipsoid({0, 0, 0}, {0.15, 0.15, 0.15}, 16, 8),
                m.bulb);
    for (const SceneNode& node : scene.nodes) sortFacingTheMiddle(scene, node, glm::dmat4(1.0));
    return scene;
}

}  // namespace Quessel::SceneGen
