#pragma once
// Fixture for tests of the Importer on scenes built in memory: the nine programs built
// first, "test" current, and the scene owned by the test, not the importer.
#include "GlTestContext.h"
#include "GlTestHelpers.h"
#include "TestScene.h"

#include "scene/Importer.h"
#include "scene/ShaderRegistry.h"

#include <assimp/scene.h>

#include <memory>

namespace Quessel::Test {

class ImporterTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        importer.registry->use("test");
    }
    void TearDown() override {
        importer.scene = nullptr;
        GlTest::TearDown();
    }
    // Takes the scene and hands it to the importer.
    const aiScene* adopt(aiScene* made) {
        scene.reset(made);
        importer.scene = scene.get();
        return made;
    }

    ShaderRegistry& registry = standardPrograms();  // before the importer, which would build them
    Importer importer;
    std::unique_ptr<aiScene> scene;
};

}  // namespace Quessel::Test
