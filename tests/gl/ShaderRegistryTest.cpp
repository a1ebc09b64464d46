// Named programs: building, making current by name or GL name, shared locations and blocks.
#include "GlTestContext.h"
#include "TestScene.h"

#include "scene/Importer.h"
#include "scene/ShaderRegistry.h"

#include <cstring>
#include <fstream>
#include <list>
#include <stdexcept>
#include <string>

using namespace Quessel;

namespace {
const char* const programNames[] = {"test",   "depth",    "motionblur", "cubemap", "skybox",
                                    "render", "particle", "reflect",    "refract"};

// Records point at their name and path texts for the whole run, so those must outlive them.
const char* keep(const std::string& text) {
    static std::list<std::string> texts;
    return texts.emplace_back(text).c_str();
}

GLint currentGlProgram() {
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

struct ShaderRegistryTest : QuesselTest::GlTest {
    Importer importer;  // builds the nine programs into the shared registry
    ShaderRegistry& registry = ShaderRegistry::instance();
};
}  // namespace

TEST_F(ShaderRegistryTest, UseMakesEachNamedProgramCurrent) {
    EXPECT_EQ(importer.registry, &registry);
    EXPECT_GE(registry.programs.size(), 9u);
    for (const char* name : programNames) {
        registry.use(name);
        const ShaderProgram& record = registry.get(name);
        EXPECT_EQ(registry.current, &record) << name;
        EXPECT_STREQ(record.name, name);
        EXPECT_NE(record.program, 0u) << name;
        EXPECT_EQ(currentGlProgram(), static_cast<GLint>(record.program)) << name;
    }
    EXPECT_STREQ(registry.get("cubemap").vertexPath, "Shader/Reflection/cubemap_render.vs.glsl");
    EXPECT_STREQ(registry.get("refract").fragmentPath, "Shader/Reflection/refract.frag");
}

TEST_F(ShaderRegistryTest, UnknownNamesThrowAndForeignGlNamesAreIgnored) {
    registry.use("depth");
    ShaderProgram* const before = registry.current;
    try {
        registry.use("Test");
        FAIL() << "no exception";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "invalid map<K, T> key");
    }
    EXPECT_EQ(registry.current, before);
    EXPECT_EQ(currentGlProgram(), static_cast<GLint>(before->program));
    EXPECT_THROW(registry.get(""), std::out_of_range);

    const ShaderProgram& reflect = registry.get("reflect");
    registry.useProgram(reflect.program);
    EXPECT_EQ(registry.current, &reflect);
    EXPECT_EQ(currentGlProgram(), static_cast<GLint>(reflect.program));

    const GLuint foreign = glCreateProgram();
    for (GLuint name : {0u, foreign, foreign + 1000u}) {
        registry.useProgram(name);
        EXPECT_EQ(registry.current, &reflect) << name;
        EXPECT_EQ(currentGlProgram(), static_cast<GLint>(reflect.program)) << name;
    }
    glDeleteProgram(foreign);
}

TEST_F(ShaderRegistryTest, ProgramFromMissingFilesIsStillBuiltAndRegistered) {
    static int runs = 0;  // fresh names on every run, so the programs are really built
    const std::string suffix = std::to_string(runs++);
    registry.use("test");
    ShaderProgram* const before = registry.current;
    testing::internal::CaptureStdout();
    const char* brokenName = keep("t1-missing-files-" + suffix);
    ShaderProgram& broken = registry.add(brokenName, "Shader/none.vert", "Shader/none.frag");
    const std::string brokenLogs = testing::internal::GetCapturedStdout();
    QuesselTest::clearGlErrors();
    // The compile and link logs are the only report, each closed by a line feed.
    EXPECT_FALSE(brokenLogs.empty());
    EXPECT_EQ(brokenLogs.back(), '\n');

    EXPECT_EQ(&registry.get(brokenName), &broken);
    EXPECT_NE(broken.program, 0u);
    EXPECT_NE(broken.vertexShader, 0u);
    EXPECT_NE(broken.fragmentShader, 0u);
    GLint linked = GL_TRUE;
    glGetProgramiv(broken.program, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_FALSE);
    EXPECT_EQ(registry.current, before);
    EXPECT_EQ(broken.texLocation, -1);

    // A program without blocks links and is left in use in GL, yet the registry's current
    // stays; its block bindings were still attempted with the invalid index.
    QuesselTest::ScratchDir dir;
    std::ofstream(dir.file("plain.vert")) << "#version 430 core\nin vec3 position;\n"
                                             "void main() { gl_Position = vec4(position, 1.0); }\n";
    std::ofstream(dir.file("plain.frag")) << "#version 430 core\nout vec4 colour;\n"
                                             "void main() { colour = vec4(1.0); }\n";
    testing::internal::CaptureStdout();
    ShaderProgram& plain =
        registry.add(keep("t1-plain-" + suffix), keep(dir.file("plain.vert")), keep(dir.file("plain.frag")));
    const std::string logs = testing::internal::GetCapturedStdout();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_VALUE)) << logs;
    EXPECT_EQ(currentGlProgram(), static_cast<GLint>(plain.program));
    EXPECT_EQ(registry.current, before);
    GLint plainLinked = GL_FALSE;
    glGetProgramiv(plain.program, GL_LINK_STATUS, &plainLinked);
    EXPECT_EQ(plainLinked, GL_TRUE);
    EXPECT_EQ(glGetAttribLocation(plain.program, "position"), 0);

    // A second insert under the same name keeps the first record.
    EXPECT_EQ(&registry.add(brokenName, "Shader/test.vert", "Shader/test.frag"), &broken);
    registry.use(brokenName);
    EXPECT_EQ(registry.current, &broken);
}

TEST_F(ShaderRegistryTest, RecordsShareLocationsAndOnlyParticleDeclaresVaryings) {
    for (const char* name : programNames) {
        SCOPED_TRACE(name);
        const ShaderProgram& record = registry.get(name);
        EXPECT_EQ(record.positionLocation, 0);
        EXPECT_EQ(record.normalLocation, 1);
        EXPECT_EQ(record.texCoordLocation, 2);
        EXPECT_EQ(record.tangentLocation, 5);
        EXPECT_EQ(record.bitangentLocation, 6);
        EXPECT_EQ(record.matricesBinding, 1);
        EXPECT_EQ(record.previousMatricesBinding, 4);
        EXPECT_EQ(record.materialBinding, 2);
        EXPECT_EQ(record.pointLightBinding, 3);
        EXPECT_EQ(record.sphereBinding, 7);
        EXPECT_EQ(record.texLocation, glGetUniformLocation(record.program, "tex"));
        EXPECT_EQ(record.nmTexLocation, glGetUniformLocation(record.program, "nmTex"));

        GLint varyings = -1;
        glGetProgramiv(record.program, GL_TRANSFORM_FEEDBACK_VARYINGS, &varyings);
        EXPECT_EQ(varyings, std::strcmp(name, "particle") == 0 ? 3 : 0);
    }
}
