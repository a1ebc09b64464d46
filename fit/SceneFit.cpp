#include "fit/SceneFit.h"

#include "fit/MemoryBudget.h"
#include "core/MemoryCeiling.h"
#include "scene/Importer.h"
#include "scene/NodeQuery.h"
#include "fit/PlacedScene.h"
#include "scene/ReflectionObject.h"
#include "fit/SceneBounds.h"
#include "fit/SceneLight.h"

#include <assimp/scene.h>
#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

namespace Quessel {

namespace {
const char* const DemoLight = "PointLight1";
// Names listed when a node asked for is not there.
constexpr size_t ListedNames = 60;
}  // namespace

SceneFit::SceneFit(const DemoScene& scene) : scene(scene) {}

SceneFit::~SceneFit() = default;

bool SceneFit::named(const std::string& name) const {
    for (const auto* names : {&scene.mirrors, &scene.glass})
        if (std::find(names->begin(), names->end(), name) != names->end()) return true;
    return false;
}

size_t SceneFit::namedObjects() const {
    std::set<std::string> names(scene.mirrors.begin(), scene.mirrors.end());
    names.insert(scene.glass.begin(), scene.glass.end());
    return names.size();
}

bool SceneFit::admit(SetupFailure& failure) {
    if (scene.memoryBudget == 0) return true;
    residentBefore = MemoryCeiling::residentMemory();
    const std::string refusal =
        MemoryBudget(scene.memoryBudget).refusal(scene.path, ImportEstimate::of(scene.path), namedObjects());
    if (refusal.empty()) return true;
    failure = {1, refusal};
    return false;
}

uint64_t SceneFit::importCeiling() const {
    if (scene.memoryBudget == 0) return 0;
    // Never 0, which would lift the cap.
    return std::max<uint64_t>(MemoryBudget(scene.memoryBudget).forImport(namedObjects()), 1);
}

bool SceneFit::checkEffects(Importer& importer, SetupFailure& failure) const {
    if (scene.memoryBudget == 0) return true;
    const size_t resident = MemoryCeiling::residentMemory();
    const ImportEstimate took{resident > residentBefore ? resident - residentBefore : 0, "what it took"};
    const std::string refusal =
        MemoryBudget(scene.memoryBudget)
            .refusal(scene.path, took,
                     importer.getNodes(ObjectKind::Reflective).size() + importer.getNodes(ObjectKind::Refractive).size());
    if (refusal.empty()) return true;
    failure = {1, refusal};
    return false;
}

bool SceneFit::placeImported(Importer& importer, SetupFailure& failure) {
    return checkNames(importer, failure) && checkEffects(importer, failure) && place(importer, failure);
}

bool SceneFit::fitMeshes(Importer& importer, SetupFailure& failure) {
    if (!checkDrawable(importer, failure) || !frame(importer, failure)) return false;
    centreMirrors(importer);
    measureObjects(importer);
    std::vector<std::string> roles[2];
    for (int glass = 0; glass < 2; ++glass)
        for (const aiNode* node : importer.getNodes(glass ? ObjectKind::Refractive : ObjectKind::Reflective))
            roles[glass].push_back(node->mName.C_Str());
    fitted.nodes = NodeTree::of(importer.scene, roles[0], roles[1]);
    fitted.cameras = FileCameras::of(importer.scene);
    return true;
}

bool SceneFit::checkNames(const Importer& importer, SetupFailure& failure) const {
    aiNode* root = importer.scene->mRootNode;
    for (const std::string& name : scene.mirrors)
        if (std::count(scene.glass.begin(), scene.glass.end(), name)) {
            failure = {2, "\"" + name + "\" cannot both reflect (--mirror) and refract (--glass)"};
            return false;
        }
    std::vector<std::string> missing;
    for (const auto* names : {&scene.mirrors, &scene.glass})
        for (const std::string& name : *names)
            if (!NodeQuery::find(root, name.c_str())) missing.push_back("\"" + name + "\"");
    if (!scene.smoke.empty() && !NodeQuery::find(root, scene.smoke.c_str()))
        missing.push_back("\"" + scene.smoke + "\" (--smoke)");
    if (missing.empty()) return true;
    std::vector<aiNode*> all;
    NodeQuery::walk(root, "", NodeQuery::Match::Every, all);
    std::vector<std::string> names;
    for (const aiNode* node : all)
        if (node->mName.length > 0 && names.size() < ListedNames)
            names.push_back(fmt::format("\"{}\"", node->mName.C_Str()));
    const std::string more = all.size() > names.size() ? fmt::format(" and {} more", all.size() - names.size()) : "";
    failure = {2, fmt::format("the scene {} has no node named {}; its nodes: {}{}", scene.path,
                              fmt::join(missing, ", "), fmt::join(names, ", "), more)};
    return false;
}

bool SceneFit::checkDrawable(const Importer& importer, SetupFailure& failure) {
    if (!scene.brought) return true;
    const size_t drawn = std::count_if(importer.meshes.begin(), importer.meshes.end(),
                                       [](const MeshRecord& mesh) { return mesh.faceCount > 0; });
    const size_t leftOut = importer.meshes.size() - drawn;
    if (drawn == 0) {
        failure = {1, importer.meshes.empty()
                          ? "the scene " + scene.path + " holds nothing to draw (no meshes)"
                          : fmt::format("the scene {} holds no triangles to draw: its {} mesh{} only points or "
                                        "lines, which are not drawn",
                                        scene.path, leftOut, leftOut == 1 ? " holds" : "es hold")};
        return false;
    }
    if (leftOut > 0)
        fitted.notes.push_back(fmt::format("{} of the scene's {} meshes hold only points or lines and are left out", leftOut,
                                   importer.meshes.size()));
    return true;
}

bool SceneFit::place(const Importer& importer, SetupFailure& failure) {
    if (!scene.brought) return true;
    ownBounds = SceneBounds::framedInScene(importer.scene);
    // Nothing drawn: the checks after the meshes say why.
    if (ownBounds.empty()) return true;
    std::string why;
    const std::optional<Placement> placement = Placement::of(ownBounds, why);
    if (!placement) {
        failure = {1, "the scene " + scene.path + " cannot be drawn: " + why};
        return false;
    }
    fitted.placement = *placement;
    // From here on, from the framing to the mirrors' centres and the light, everything works
    // where the scene is drawn.
    PlacedScene::apply(importer.scene, fitted.placement);
    return true;
}

bool SceneFit::frame(const Importer& importer, SetupFailure& failure) {
    fitted.ownScale = scene.brought;
    fitted.framing = Framing(SceneBounds::framed(importer.scene));
    if (!scene.brought) return true;
    const Framing& framing = fitted.framing;
    const Placement& placement = fitted.placement;
    if (framing.bounds.empty()) {
        failure = {1, "the scene " + scene.path + " cannot be drawn: none of its drawn vertices has finite coordinates"};
        return false;
    }
    const dvec3 size = ownBounds.size();
    fitted.notes.push_back(fmt::format("the scene is {:.3g} x {:.3g} x {:.3g} units; clipping planes {:.3g} to {:.3g}",
                                       size.x, size.y, size.z, placement.toScene(framing.nearPlane()),
                                       placement.toScene(framing.farPlane())));
    if (placement.moves())
        fitted.notes.push_back(fmt::format("drawn at 2^{} of its size around ({:.9g}, {:.9g}, {:.9g}), where floats "
                                           "keep it whole; paths and positions stay in its own units",
                                           std::lround(std::log2(placement.scale)), placement.centre.x,
                                           placement.centre.y, placement.centre.z));
    return true;
}

void SceneFit::centreMirrors(Importer& importer) const {
    // The demo's spheres in its own scene keep their nodes' origins as their centres.
    for (ObjectKind kind : {ObjectKind::Reflective, ObjectKind::Refractive})
        for (SceneryObject* entry : importer.getObjects(kind)) {
            auto* object = dynamic_cast<ReflectionObject*>(entry);
            if (!object || !(scene.brought || named(object->getNode()->mName.C_Str()))) continue;
            const Bounds own = SceneBounds::ofNode(importer.scene, object->getNode());
            if (!own.empty()) object->setCentre(own.centre());
        }
}

void SceneFit::light(Importer& importer) {
    // A scene drawn with its own look is lit by it: the demo's light only lights its mirrors.
    std::string ignored;
    std::string& lightText = ownLook ? ignored : fitted.light;
    if (NodeQuery::find(importer.scene->mRootNode, DemoLight)) {
        lightText = "the scene's PointLight1, circling as the demo's light does";
    } else if (!scene.brought) {
        lightText = "none: the scene has no PointLight1, only the sky's fill lights it";
    } else {
        sceneLight = std::make_unique<SceneLight>(importer.scene, fitted.framing.bounds);
        animate(0.0, importer);
        lightText = sceneLight->describe(fitted.placement);
    }
    if (scene.brought && !ownLook) fitted.notes.push_back("light: " + lightText);
}

void SceneFit::animate(double step, Importer& importer) {
    if (sceneLight) {
        sceneLight->update(step, *importer.lightRecord);
    } else if (fitted.placement.moves() && importer.lightRecord) {
        // The demo's light, moved in the scene's own coordinates, lights it as drawn.
        importer.lightRecord->place(fitted.placement);
    } else {
        return;
    }
    importer.uploadLightRecord();
}

void SceneFit::describeLook(const std::vector<std::string>& notes) {
    fitted.notes.insert(fitted.notes.end(), notes.begin(), notes.end());
    std::string joined;
    for (const std::string& note : notes) joined += (joined.empty() ? "" : "; ") + note;
    fitted.light = joined;
    ownLook = true;
}

namespace {
// The meshes under `node` with their boxes in the world, `parent` the world of its parent.
void placeMeshes(const aiScene* scene, const aiNode* node, const aiMatrix4x4& parent, std::vector<MeshPlace>& out) {
    const aiMatrix4x4 world = parent * node->mTransformation;
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[i]];
        if (!(mesh->mPrimitiveTypes & aiPrimitiveType_TRIANGLE)) continue;
        MeshPlace place{node->mName.C_Str(), node->mMeshes[i], {}};
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D at = world * mesh->mVertices[v];
            place.box.add(vec3(at.x, at.y, at.z));
        }
        if (!place.box.empty()) out.push_back(std::move(place));
    }
    for (unsigned c = 0; c < node->mNumChildren; ++c) placeMeshes(scene, node->mChildren[c], world, out);
}
}  // namespace

void SceneFit::measureObjects(Importer& importer) {
    placeMeshes(importer.scene, importer.scene->mRootNode, aiMatrix4x4(), fitted.meshes);
    for (ObjectKind kind : {ObjectKind::Reflective, ObjectKind::Refractive})
        for (SceneryObject* object : importer.getObjects(kind)) {
            // The object's own box through its node, in the world.
            const Bounds own = SceneBounds::ofNode(importer.scene, object->getNode());
            const aiMatrix4x4 transform = object->getTransformation(true);
            Bounds world;
            for (int corner = 0; corner < 8 && !own.empty(); ++corner) {
                const vec3 local = own.corner(corner);
                const aiVector3D at = transform * aiVector3D(local.x, local.y, local.z);
                world.add(vec3(at.x, at.y, at.z));
            }
            if (!world.empty()) fitted.objects.push_back({object->getPosition(true), world.radius()});
        }
    if (aiNode* smoke = scene.smoke.empty() ? nullptr : NodeQuery::find(importer.scene->mRootNode, scene.smoke.c_str())) {
        // The smoke rises from the middle of the node's meshes, or from its origin.
        const Bounds own = SceneBounds::ofNode(importer.scene, smoke);
        aiMatrix4x4 world = smoke->mTransformation;
        for (const aiNode* parent = smoke->mParent; parent; parent = parent->mParent) world = parent->mTransformation * world;
        const vec3 local = own.empty() ? vec3(0.0f) : own.centre();
        const aiVector3D at = world * aiVector3D(local.x, local.y, local.z);
        fitted.smoke = vec3(at.x, at.y, at.z);
    }
}

}  // namespace Quessel
