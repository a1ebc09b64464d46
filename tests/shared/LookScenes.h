#pragma once
// Scenes built in memory for the look's tests: spheres and quads with normals, glTF-style
// materials, and the importer's name in the metadata that picks the format's rule.
#include "TestScene.h"
#include "math/MathTypes.h"

#include <assimp/GltfMaterial.h>
#include <assimp/commonMetaData.h>
#include <assimp/scene.h>

#include <cmath>
#include <string>
#include <vector>

namespace Quessel::Test {

// A UV sphere of `radius` around `centre` with outward normals and no texture coordinates.
inline aiMesh* makeSphere(float radius, const vec3& centre = vec3(0.0f), unsigned material = 0, unsigned rings = 48,
                          unsigned segments = 64) {
    aiMesh* mesh = new aiMesh();
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mMaterialIndex = material;
    mesh->mNumVertices = (rings + 1) * (segments + 1);
    mesh->mVertices = new aiVector3D[mesh->mNumVertices];
    mesh->mNormals = new aiVector3D[mesh->mNumVertices];
    for (unsigned r = 0; r <= rings; ++r)
        for (unsigned s = 0; s <= segments; ++s) {
            const float theta = 3.14159265f * r / rings;
            const float phi = 2.0f * 3.14159265f * s / segments;
            const aiVector3D n(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
            mesh->mNormals[r * (segments + 1) + s] = n;
            mesh->mVertices[r * (segments + 1) + s] = n * radius + aiVector3D(centre.x, centre.y, centre.z);
        }
    mesh->mNumFaces = rings * segments * 2;
    mesh->mFaces = new aiFace[mesh->mNumFaces];
    unsigned f = 0;
    for (unsigned r = 0; r < rings; ++r)
        for (unsigned s = 0; s < segments; ++s) {
            const unsigned a = r * (segments + 1) + s;
            const unsigned b = a + segments + 1;
            const unsigned triangles[2][3] = {{a, a + 1, b}, {a + 1, b + 1, b}};
            for (const auto& corners : triangles) {
                mesh->mFaces[f].mNumIndices = 3;
                mesh->mFaces[f++].mIndices = new unsigned[3]{corners[0], corners[1], corners[2]};
            }
        }
    return mesh;
}

// A quad in the plane z = `z` from (x0, y0) to (x1, y1), facing +z, with texture
// coordinates 0-1 and, when given, one colour for its left (x0) and one for its right edge.
inline aiMesh* makeQuad(float x0, float y0, float x1, float y1, float z, unsigned material = 0,
                        const std::vector<aiColor4D>& leftRight = {}) {
    aiMesh* mesh = new aiMesh();
    mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    mesh->mMaterialIndex = material;
    mesh->mNumVertices = 4;
    mesh->mVertices = new aiVector3D[4]{{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}};
    mesh->mNormals = new aiVector3D[4]{{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    mesh->mTextureCoords[0] = new aiVector3D[4]{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh->mNumUVComponents[0] = 2;
    if (leftRight.size() == 2)
        mesh->mColors[0] = new aiColor4D[4]{leftRight[0], leftRight[1], leftRight[1], leftRight[0]};
    mesh->mNumFaces = 2;
    mesh->mFaces = new aiFace[2];
    mesh->mFaces[0].mNumIndices = 3;
    mesh->mFaces[0].mIndices = new unsigned[3]{0, 1, 2};
    mesh->mFaces[1].mNumIndices = 3;
    mesh->mFaces[1].mIndices = new unsigned[3]{0, 2, 3};
    return mesh;
}

// A glTF 2 material as Assimp reports one (always named: an unnamed white rough metal
// would be taken for the importer's default).
inline aiMaterial* makePbrMaterial(const aiColor4D& base, float metallic, float roughness, const char* alphaMode = "OPAQUE",
                                   const aiColor3D& emissive = aiColor3D(0, 0, 0), const char* emissiveTexture = nullptr) {
    aiMaterial* material = new aiMaterial();
    const aiString name("paint");
    const aiString mode(alphaMode);
    const int twoSided = 1;
    material->AddProperty(&name, AI_MATKEY_NAME);
    material->AddProperty(&base, 1, AI_MATKEY_BASE_COLOR);
    material->AddProperty(&metallic, 1, AI_MATKEY_METALLIC_FACTOR);
    material->AddProperty(&roughness, 1, AI_MATKEY_ROUGHNESS_FACTOR);
    material->AddProperty(&emissive, 1, AI_MATKEY_COLOR_EMISSIVE);
    material->AddProperty(&mode, AI_MATKEY_GLTF_ALPHAMODE);
    material->AddProperty(&twoSided, 1, AI_MATKEY_TWOSIDED);
    if (emissiveTexture) {
        const aiString file(emissiveTexture);
        material->AddProperty(&file, AI_MATKEY_TEXTURE(aiTextureType_EMISSIVE, 0));
    }
    return material;
}

// Names the importer whose rule reads the scene ("glTF2 Importer", ...).
inline aiScene* readAs(aiScene* scene, const char* importer) {
    scene->mMetaData = new aiMetadata();
    scene->mMetaData->Add(AI_METADATA_SOURCE_FORMAT, aiString(importer));
    return scene;
}

}  // namespace Quessel::Test
