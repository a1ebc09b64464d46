#pragma once
#include "math/MathTypes.h"
#include "scene/IRender.h"
#include "scene/IScene.h"
#include "scene/LightRecord.h"
#include "scene/MeshRecord.h"
#include "scene/ObjectCache.h"
#include "scene/TextureLoader.h"

#include <GL/glew.h>

#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

struct aiNode;
struct aiScene;
namespace Assimp {
class Importer;
}

namespace Quessel {

class ShaderRegistry;

// The scene-and-renderer object: builds the shader programs, imports the scene, holds
// its GL buffers, textures and materials, draws node trees and animates the light.
class Importer : public IScene, public IRender {
public:
    // Builds the nine programs into the process-wide registry.
    Importer();
    ~Importer() override;

    // IScene
    std::vector<SceneryObject*> getObjects(ObjectKind kind) override;
    std::vector<aiNode*> getNodes(ObjectKind kind) override;
    IRender* getRender() override;
    // IRender: the listed nodes of the whole scene.
    void draw(const std::vector<aiNode*>& nodes) override;

    bool loadScene(const std::string& path);
    void loadTextures();
    // The GL meshes of the scene; with `wanted` not empty only the meshes it marks (the
    // others keep their triangle count and draw nothing).
    void buildMeshes(const aiScene* scene, const std::vector<bool>& wanted = {});
    // The meshes the nodes of these kinds hold, marked by mesh index.
    std::vector<bool> meshesOf(std::initializer_list<ObjectKind> kinds);
    // Deletes the loaded images no built mesh record holds (their map entries become 0).
    void releaseUnusedTextures();
    // Frees the vertex and face data of every mesh (their nodes, materials and names stay),
    // once what draws them is on the GPU and nothing reads them again.
    void releaseMeshData();
    // The file names of the demo's normal maps, found by a mesh's diffuse image.
    static const std::set<std::string>& demoNormalMaps();

    void drawNode(const aiScene* scene, aiNode* node);
    void drawListedNodes(const aiScene* scene, aiNode* node, const std::vector<aiNode*>& list);
    void pushModel();
    void popModel();
    void uploadModel();

    void setupLight(aiNode* root);
    void animateLight(double dt);
    // Uploads the light record whole into its buffer.
    void uploadLightRecord();

    ShaderRegistry* registry = nullptr;
    std::unique_ptr<Assimp::Importer> assimpImporter;
    const aiScene* scene = nullptr;
    std::map<std::string, GLuint> textures;
    std::map<std::string, GLuint> normalMaps;
    // Diffuse images that did not load.
    std::set<std::string> missingTextures;
    std::vector<MeshRecord> meshes;
    std::vector<mat4> modelStack;
    mat4 model{1.0f};
    GLuint matricesBuffer = 0;
    GLuint previousMatricesBuffer = 0;
    std::unique_ptr<LightRecord> lightRecord;
    GLuint sphereBuffer = 0;
    ObjectCache objects;
    // Nodes that reflect or refract besides the demo's spheres.
    NodeRoles roles;
    // Where loadTextures finds the images; the scene's embedded ones are added to it.
    ImageSearch imageSearch;
    // Bytes of address space the import may add (0: no limit), and whether the last import
    // failed for want of it.
    size_t memoryBudget = 0;
    bool ranOutOfMemory = false;
    // Whether what the file's parser built is checked before any post-processing (the
    // tools'; the demo imports as it always did), and why the last import failed.
    bool validate = false;
    std::string importError;
    // A scene a tool brought: post-processed with only what it needs (ImportPlan) instead
    // of the demo's preset.
    bool brought = false;

private:
    aiNode* root() const;
    // A brought scene after the read: each mesh prepared (MeshPreparation), several at once.
    const aiScene* prepareBrought(const aiScene* read);
    void drawMeshes(const aiNode* node);
    MeshRecord buildMesh(const aiScene* scene, unsigned index);
    void assignMaterial(const aiScene* scene, unsigned materialIndex, MeshRecord& record);
};

}  // namespace Quessel
