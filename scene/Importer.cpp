#include "scene/Importer.h"

#include "core/Console.h"
#include "core/MemoryCeiling.h"
#include "scene/ImportPlan.h"
#include "scene/MaterialBlock.h"
#include "scene/MeshPreparation.h"
#include "scene/NodeQuery.h"
#include "scene/ShaderRegistry.h"
#include "scene/TextureLoader.h"

#include <IL/il.h>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <malloc.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <new>
#include <string>

namespace Quessel {

Importer::Importer() : registry(&ShaderRegistry::instance()), assimpImporter(std::make_unique<Assimp::Importer>()) {
    registry->buildStandardPrograms();
}

Importer::~Importer() = default;

aiNode* Importer::root() const { return scene ? scene->mRootNode : nullptr; }

std::vector<SceneryObject*> Importer::getObjects(ObjectKind kind) { return objects.get(root(), kind, roles); }

std::vector<aiNode*> Importer::getNodes(ObjectKind kind) { return NodeQuery::nodes(root(), kind, roles); }

IRender* Importer::getRender() { return this; }

bool Importer::loadScene(const std::string& path) {
    std::ifstream file(path);
    if (!file.is_open()) {
        printConsole("Can't open file %s\n", path.c_str());
        printConsole("%s\n", assimpImporter->GetErrorString());
    }
    file.close();
    ranOutOfMemory = false;
    const ImportPlan plan = ImportPlan::of(brought, validate);
    assimpImporter->SetPropertyBool(AI_CONFIG_PP_FD_CHECKAREA, plan.degenerateAreas);
    {
        const MemoryCeiling ceiling(memoryBudget);
        try {
            scene = assimpImporter->ReadFile(path, plan.readSteps);
            if (scene && plan.brought) scene = prepareBrought(scene);
        } catch (const std::bad_alloc&) {
            scene = nullptr;
            ranOutOfMemory = true;
        }
    }
    if (!scene) {
        const std::string error = assimpImporter->GetErrorString();
        // Assimp catches the allocation failure itself and reports it as its error.
        ranOutOfMemory = ranOutOfMemory || error.find("bad_alloc") != std::string::npos;
        importError = ranOutOfMemory && error.empty() ? "std::bad_alloc" : error;
        printConsole("%s\n", importError.c_str());
        return false;
    }
    printConsole("Import of scene %s succeeded.", path.c_str());
    return true;
}

const aiScene* Importer::prepareBrought(const aiScene* read) {
    const std::vector<ImportPlan::MeshSteps> steps = ImportPlan::meshSteps(read, demoNormalMaps());
    aiMesh** list = read->mMeshes;
    const bool tangents = ImportPlan::tangentStep(steps);
    // Normals first: Assimp's tangents are made from them, and welding compares them.
    MeshPreparation::inParallel(read->mNumMeshes, [&](unsigned m) {
        MeshPreparation::Places places;
        if (steps[m].normals) places = MeshPreparation::smoothNormals(*list[m]);
        if (!tangents && steps[m].weld) MeshPreparation::weld(*list[m], places);
    });
    if (!tangents) return read;
    const aiScene* done = assimpImporter->ApplyPostProcessing(aiProcess_CalcTangentSpace);
    if (!done) return nullptr;
    MeshPreparation::inParallel(done->mNumMeshes, [&](unsigned m) {
        if (!steps[m].tangents) MeshPreparation::dropTangents(*list[m]);
        if (steps[m].weld) MeshPreparation::weld(*list[m]);
    });
    return done;
}

const std::set<std::string>& Importer::demoNormalMaps() {
    static const std::set<std::string> names = {"whitetilesnormalmap.jpg", "wall06x04normalmap.jpg",
                                                "ducknormalmap.png",       "duck.png.001normalmap.png",
                                                "brick03normalmap.jpg",    "Dragon_Fruit_LR_colornormalmap.jpg"};
    return names;
}

void Importer::releaseMeshData() {
    if (!scene) return;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) MeshPreparation::release(*scene->mMeshes[m]);
    // A face's three indices are a small block of their own: the allocator keeps the freed
    // pages unless it is asked to give them back.
    malloc_trim(0);
}

void Importer::loadTextures() {
    ilInit();
    if (scene) {
        for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
            aiString path;
            for (unsigned i = 0;
                 aiGetMaterialTexture(scene->mMaterials[m], aiTextureType_DIFFUSE, i, &path) == AI_SUCCESS; ++i)
                textures.emplace(path.C_Str(), 0);
        }
    }
    for (const std::string& name : demoNormalMaps()) normalMaps.emplace(name, 0);
    imageSearch.scene = scene;
    missingTextures = loadTextureMap(textures, "tex", 0, imageSearch);
    loadTextureMap(normalMaps, "nmTex", 1, imageSearch);
}

namespace {
// Every face has at least three indices; a polygon contributes its first three.
bool hasOnlyPolygons(const aiMesh* mesh) {
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        if (mesh->mFaces[f].mNumIndices < 3) return false;
    }
    return true;
}

}  // namespace

void Importer::releaseUnusedTextures() {
    std::set<GLuint> used;
    for (const MeshRecord& mesh : meshes)
        if (mesh.vertexArray) used.insert({mesh.texture, mesh.normalTexture});
    for (std::map<std::string, GLuint>* loaded : {&textures, &normalMaps})
        for (auto& entry : *loaded)
            if (entry.second && !used.count(entry.second)) {
                glDeleteTextures(1, &entry.second);
                entry.second = 0;
            }
}

void Importer::buildMeshes(const aiScene* source, const std::vector<bool>& wanted) {
    if (!source) return;
    meshes.reserve(source->mNumMeshes);
    for (unsigned i = 0; i < source->mNumMeshes; ++i) {
        if (wanted.empty() || (i < wanted.size() && wanted[i])) {
            meshes.push_back(buildMesh(source, i));
            continue;
        }
        MeshRecord counted;
        if (hasOnlyPolygons(source->mMeshes[i])) counted.faceCount = source->mMeshes[i]->mNumFaces;
        meshes.push_back(counted);
    }
}

std::vector<bool> Importer::meshesOf(std::initializer_list<ObjectKind> kinds) {
    std::vector<bool> marked(scene ? scene->mNumMeshes : 0, false);
    for (const ObjectKind kind : kinds)
        for (const aiNode* node : getNodes(kind))
            for (unsigned i = 0; i < node->mNumMeshes; ++i)
                if (node->mMeshes[i] < marked.size()) marked[node->mMeshes[i]] = true;
    return marked;
}

namespace {

GLuint uploadAttribute(const void* data, size_t bytes, GLint location, GLint components) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, 0, nullptr);
    return buffer;
}

}  // namespace

MeshRecord Importer::buildMesh(const aiScene* source, unsigned index) {
    const aiMesh* mesh = source->mMeshes[index];
    MeshRecord record;
    // Points and lines left after primitive sorting are not drawn; the record keeps the
    // mesh indices aligned and draws nothing.
    if (!hasOnlyPolygons(mesh)) return record;

    std::vector<GLuint> indices;
    indices.reserve(static_cast<size_t>(mesh->mNumFaces) * 3);
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        indices.insert(indices.end(), face.mIndices, face.mIndices + 3);
    }
    record.faceCount = mesh->mNumFaces;

    glGenVertexArrays(1, &record.vertexArray);
    glBindVertexArray(record.vertexArray);
    GLuint elements = 0;
    glGenBuffers(1, &elements);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, elements);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)), indices.data(),
                 GL_STATIC_DRAW);

    const ShaderProgram* program = registry->current;
    const size_t vertices = mesh->mNumVertices;
    const size_t vec3Bytes = vertices * sizeof(aiVector3D);
    if (program && vertices > 0) {
        if (mesh->HasPositions()) uploadAttribute(mesh->mVertices, vec3Bytes, program->positionLocation, 3);
        if (mesh->HasNormals()) uploadAttribute(mesh->mNormals, vec3Bytes, program->normalLocation, 3);
        if (mesh->mTangents && mesh->mBitangents) {
            uploadAttribute(mesh->mTangents, vec3Bytes, program->tangentLocation, 3);
            uploadAttribute(mesh->mBitangents, vec3Bytes, program->bitangentLocation, 3);
        }
        if (mesh->HasTextureCoords(0)) {
            std::vector<float> uv(vertices * 2);
            for (size_t v = 0; v < vertices; ++v) {
                uv[2 * v] = mesh->mTextureCoords[0][v].x;
                uv[2 * v + 1] = mesh->mTextureCoords[0][v].y;
            }
            uploadAttribute(uv.data(), uv.size() * sizeof(float), program->texCoordLocation, 2);
        }
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    assignMaterial(source, mesh->mMaterialIndex, record);
    return record;
}

void Importer::assignMaterial(const aiScene* source, unsigned materialIndex, MeshRecord& record) {
    const aiMaterial* material = materialIndex < source->mNumMaterials ? source->mMaterials[materialIndex] : nullptr;
    aiString path;
    bool hasTexture = material && aiGetMaterialTexture(material, aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS;
    // A brought scene's image that did not load leaves its mesh in its material's colour
    // rather than the black of an empty texture.
    if (hasTexture && imageSearch.lenient && missingTextures.count(path.C_Str())) hasTexture = false;
    if (hasTexture) {
        record.texture = textures[path.C_Str()];
        auto normal = normalMaps.find(normalMapName(path.C_Str()));
        record.normalTexture = normal != normalMaps.end() ? normal->second : 0;
    }
    const MaterialBlock block = MaterialBlock::fromMaterial(material, hasTexture);
    glGenBuffers(1, &record.materialBuffer);
    glBindBuffer(GL_UNIFORM_BUFFER, record.materialBuffer);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(block), &block, GL_STATIC_DRAW);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

// --- drawing ---------------------------------------------------------------------

namespace {
// Assimp stores rows one after another, a mat4 columns: transposing the sixteen values
// gives the same mathematical matrix.
mat4 toMat4(const aiMatrix4x4& m) { return glm::transpose(glm::make_mat4(&m.a1)); }

constexpr GLintptr ModelOffset = 128;
// Texture names from here on are not ours to bind.
constexpr GLuint TextureNameLimit = 1000;
}  // namespace

void Importer::draw(const std::vector<aiNode*>& nodes) { drawListedNodes(scene, root(), nodes); }

void Importer::pushModel() { modelStack.push_back(model); }

void Importer::popModel() {
    model = modelStack.back();
    modelStack.pop_back();
}

void Importer::uploadModel() {
    for (GLuint buffer : {matricesBuffer, previousMatricesBuffer}) {
        glBindBuffer(GL_UNIFORM_BUFFER, buffer);
        glBufferSubData(GL_UNIFORM_BUFFER, ModelOffset, sizeof(mat4), glm::value_ptr(model));
    }
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

void Importer::drawMeshes(const aiNode* node) {
    const ShaderProgram* program = registry->current;
    if (!program) return;
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        const unsigned index = node->mMeshes[i];
        if (index >= meshes.size()) continue;
        const MeshRecord& mesh = meshes[index];
        // A mesh left to a brought scene's look has no vertex array here.
        if (mesh.faceCount == 0 || mesh.vertexArray == 0) continue;
        glBindBufferRange(GL_UNIFORM_BUFFER, program->materialBinding, mesh.materialBuffer, 0, sizeof(MaterialBlock));
        if (mesh.texture < TextureNameLimit) {
            glUniform1i(program->texLocation, 0);
            glActiveTexture(GL_TEXTURE0);
            glBindTexture(GL_TEXTURE_2D, mesh.texture);
            glUniform1i(program->nmTexLocation, 1);
            glActiveTexture(GL_TEXTURE1);
            glBindTexture(GL_TEXTURE_2D, mesh.normalTexture);
        }
        glBindVertexArray(mesh.vertexArray);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh.faceCount * 3), GL_UNSIGNED_INT, nullptr);
    }
}

void Importer::drawNode(const aiScene* source, aiNode* node) {
    if (!node) return;
    pushModel();
    model = model * toMat4(node->mTransformation);
    uploadModel();
    drawMeshes(node);
    for (unsigned i = 0; i < node->mNumChildren; ++i) drawNode(source, node->mChildren[i]);
    popModel();
}

void Importer::drawListedNodes(const aiScene* source, aiNode* node, const std::vector<aiNode*>& list) {
    if (!node) return;
    pushModel();
    model = model * toMat4(node->mTransformation);
    uploadModel();
    if (std::find(list.begin(), list.end(), node) != list.end()) drawMeshes(node);
    for (unsigned i = 0; i < node->mNumChildren; ++i) drawListedNodes(source, node->mChildren[i], list);
    popModel();
}

// --- the point light ----------------------------------------------------------------

void Importer::setupLight(aiNode* rootNode) {
    if (rootNode) {
        // An importer may leave an empty slot among the children: there is no name to print.
        for (unsigned i = 0; i < rootNode->mNumChildren; ++i)
            if (rootNode->mChildren[i]) printConsole("%s\n", rootNode->mChildren[i]->mName.C_Str());
    }
    lightRecord = std::make_unique<LightRecord>();
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    lightRecord->buffer = buffer;
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(LightRecord), lightRecord.get(), GL_STATIC_DRAW);
    if (registry->current)
        glBindBufferRange(GL_UNIFORM_BUFFER, registry->current->pointLightBinding, buffer, 0, sizeof(LightRecord));
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

void Importer::animateLight(double dt) {
    aiNode* light = NodeQuery::find(root(), "PointLight1");
    if (!light || !lightRecord) return;
    const float theta = static_cast<float>(0.5 * dt);
    const float c = static_cast<float>(std::cos(static_cast<double>(theta)));
    const float s = static_cast<float>(std::sin(static_cast<double>(theta)));
    // Rotation about +Z, applied on the left: the light turns about its parent's Z axis.
    aiMatrix4x4 rotation(c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    rotation *= light->mTransformation;
    light->mTransformation = rotation;
    lightRecord->setFromTranslation(rotation.a4, rotation.b4, rotation.c4);
    uploadLightRecord();
}

void Importer::uploadLightRecord() {
    if (!lightRecord) return;
    glBindBuffer(GL_UNIFORM_BUFFER, lightRecord->buffer);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(LightRecord), lightRecord.get(), GL_STATIC_DRAW);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

}  // namespace Quessel
