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

struct ShaderRegistryTest : Quessel::Test::GlTest {
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
    Quessel::Test::clearGlErrors();
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
    Quessel::Test::ScratchDir dir;
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

TEST_F(ShaderRegistryTest, BuilderGivesShadersWithoutLayoutsTheSharedLocationsAndBindings) {
    // The demo's shaders fix their own locations and bindings; these leave them to the
    // builder, inputs declared in another order than their locations.
    static int runs = 0;
    const std::string suffix = std::to_string(runs++);
    Quessel::Test::ScratchDir dir;
    std::ofstream(dir.file("open.vert"))
        << "#version 430 core\n"
           "in vec3 bitangent;\nin vec3 tangent;\nin vec2 texCoord;\nin vec3 normal;\nin vec3 position;\n"
           "uniform Matrices { mat4 projection; mat4 view; mat4 model; } matrices;\n"
           "uniform PreviousMatrices { mat4 projection; mat4 view; mat4 model; } previous;\n"
           "uniform Material { vec4 diffuse; } material;\n"
           "uniform PointLight { vec4 position; } light;\n"
           "uniform Sphere { vec4 centre; } sphere;\n"
           "out vec4 shade;\n"
           "void main() {\n"
           "  gl_Position = matrices.projection * previous.view * vec4(position + normal + tangent + bitangent, 1.0);\n"
           "  shade = material.diffuse + light.position + sphere.centre + vec4(texCoord, 0.0, 0.0);\n"
           "}\n";
    std::ofstream(dir.file("open.frag"))
        << "#version 430 core\n"
           "in vec4 shade;\nuniform sampler2D tex;\nuniform sampler2D nmTex;\n"
           "out vec4 colour;\n"
           "void main() { colour = shade + texture(tex, shade.xy) + texture(nmTex, shade.zw); }\n";
    testing::internal::CaptureStdout();
    const ShaderProgram& open =
        registry.add(keep("t1-open-" + suffix), keep(dir.file("open.vert")), keep(dir.file("open.frag")));
    const std::string logs = testing::internal::GetCapturedStdout();
    GLint linked = GL_FALSE;
    glGetProgramiv(open.program, GL_LINK_STATUS, &linked);
    ASSERT_EQ(linked, GL_TRUE) << logs;

    const std::pair<const char*, GLint> inputs[] = {
        {"position", 0}, {"normal", 1}, {"texCoord", 2}, {"tangent", 5}, {"bitangent", 6}};
    for (const auto& input : inputs)
        EXPECT_EQ(glGetAttribLocation(open.program, input.first), input.second) << input.first;
    const std::pair<const char*, GLint> blocks[] = {
        {"Matrices", 1}, {"PreviousMatrices", 4}, {"Material", 2}, {"PointLight", 3}, {"Sphere", 7}};
    for (const auto& block : blocks) {
        const GLuint index = glGetUniformBlockIndex(open.program, block.first);
        ASSERT_NE(index, GL_INVALID_INDEX) << block.first;
        GLint binding = -1;
        glGetActiveUniformBlockiv(open.program, index, GL_UNIFORM_BLOCK_BINDING, &binding);
        EXPECT_EQ(binding, block.second) << block.first;
    }
    EXPECT_NE(open.texLocation, -1);
    EXPECT_EQ(open.texLocation, glGetUniformLocation(open.program, "tex"));
    EXPECT_NE(open.nmTexLocation, -1);
    EXPECT_EQ(open.nmTexLocation, glGetUniformLocation(open.program, "nmTex"));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
