#include "AwkwardLayout.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

namespace Quessel::SceneGen {

namespace {

constexpr double degrees = glm::pi<double>() / 180.0;
const glm::dmat4 identity(1.0);
const glm::dvec3 up{0, 1, 0};

SceneNode node(const std::string& id, const glm::dmat4& transform, int mesh) { return {id, transform, {mesh}, {}}; }

glm::dmat4 at(const glm::dvec3& position) { return glm::translate(identity, position); }
glm::dmat4 yaw(double radians) { return glm::rotate(identity, radians, up); }
glm::dmat4 scale(const glm::dvec3& factors) { return glm::scale(identity, factors); }

}  // namespace

SceneDescription AwkwardLayout::build() {
    SceneDescription scene;
    // Exporters write colours as they are set: no ambient, a grey specular, textures with
    // whatever colour the format gives them.
    const int tiles = scene.addMaterial({"Tiles", "whitetiles.jpg", grey(0), grey(0), grey(1), grey(0.3), 40});
    const int brick = scene.addMaterial({"Brick", "brick03.jpg", grey(0), grey(0), grey(1), grey(0.2), 20});
    const int plaster = scene.addMaterial({"Plaster", "wall06x04.jpg", grey(0), grey(0), grey(1), grey(0.1), 10});
    const int chrome = scene.addMaterial({"Chrome", "", grey(0), grey(0), rgb(0.8, 0.8, 0.85), grey(1), 120});
    const int glass = scene.addMaterial({"Glass", "", grey(0), grey(0), grey(1), grey(1), 200});
    const int paint = scene.addMaterial({"RedPaint", "", grey(0), grey(0), rgb(0.7, 0.1, 0.08), grey(0.5), 60});
    const int clay = scene.addMaterial({"Clay", "", grey(0), grey(0), rgb(0.6, 0.55, 0.5), grey(0), 1});
    const int sky = scene.addMaterial({"Sky", "sky.png", grey(0.9), grey(0), grey(1), grey(0), 1});
    const int bulb = scene.addMaterial({"Bulb", "", rgb(1, 0.95, 0.8), grey(0), grey(1), grey(0), 1});

    const Mesh unitSphere = makeEllipsoid({0, 0, 0}, {1, 1, 1}, 48, 24);

    // A floor box of unit size stretched flat and turned.
    scene.nodes.push_back(node("Floor", yaw(20 * degrees) * scale({12, 0.1, 12}),
                               scene.addMesh("Floor", makeBox({-1, -1, -1}, {1, 0, 1}, 0.25), tiles)));
    // Mirror spheres: one of radius 0.6 on a tilted node, one mirrored.
    scene.nodes.push_back(
        node("Sphere", at({-3, 1.2, 0}) * glm::rotate(identity, 40 * degrees, glm::dvec3(1, 1, 0)),
             scene.addMesh("SmallSphere", makeEllipsoid({0, 0, 0}, {0.6, 0.6, 0.6}, 48, 24), chrome)));
    scene.nodes.push_back(node("Sphere_001", at({0, 1.2, -2.5}) * scale({-1, 1, 1}) * yaw(30 * degrees),
                               scene.addMesh("MirroredSphere", unitSphere, chrome)));
    // Glass: a sphere of radius 2 at scale 1, and a unit sphere stretched into an egg.
    scene.nodes.push_back(node("Sphere_002", at({3.5, 2.2, 0}),
                               scene.addMesh("BigGlassSphere", makeEllipsoid({0, 0, 0}, {2, 2, 2}, 48, 24), glass)));
    scene.nodes.push_back(node(
        "GlassEgg", at({-1, 1.5, 3.5}) * glm::rotate(identity, 30 * degrees, glm::dvec3(0, 0, 1)) * scale({1, 1, 2}),
        scene.addMesh("GlassEgg", unitSphere, glass)));
    // A matte egg three times as long as it is wide, for lighting.
    scene.nodes.push_back(
        node("Egg", at({-5, 1.2, 4}) * yaw(-35 * degrees) * scale({3, 1, 1}), scene.addMesh("Egg", unitSphere, clay)));

    // A crate without texture coordinates, on a textured material.
    Mesh crate = makeBox({-0.5, 0, -0.5}, {0.5, 1, 0.5}, 1.0);
    crate.uvs.clear();
    scene.nodes.push_back(node("Crate", at({5, 0, 4.5}) * yaw(15 * degrees) * scale({1, 1.6, 0.7}),
                               scene.addMesh("Crate", crate, plaster)));
    // A single-sided flag facing away from the middle of the scene, without a texture.
    scene.nodes.push_back(node("Flag", at({-5.5, 1.6, -3}) * yaw(160 * degrees),
                               scene.addMesh("Flag", makeQuad({0, 0, 0}, {1.2, 0, 0}, {0, 0.8, 0}), paint)));
    // A normal-mapped brick panel and its mirror image across the node's x axis.
    const int panel = scene.addMesh("Panel", makeQuad({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), brick);
    scene.nodes.push_back(node("Panel", at({2, 1.2, -4}), panel));
    scene.nodes.push_back(node("MirroredPanel", at({4.5, 1.2, -4}) * scale({-1, 1, 1}), panel));

    scene.nodes.push_back(
        node("SkyDome", identity, scene.addMesh("SkyDome", makeDome({0, 0, 0}, 40, 24, 8, -10 * degrees), sky)));

    const Mesh bulbMesh = makeEllipsoid({0, 0, 0}, {0.1, 0.1, 0.1}, 12, 6);
    scene.nodes.push_back(node("PointLight", at({6, 6, 6}), scene.addMesh("PointLight_Bulb", bulbMesh, bulb)));
    scene.nodes.push_back(node("PointLight1", at({-2, 5, 2}), scene.addMesh("PointLight1_Bulb", bulbMesh, bulb)));
    return scene;
}

}  // namespace Quessel::SceneGen
