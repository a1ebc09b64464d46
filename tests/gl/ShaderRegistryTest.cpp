// Named programs: building, making current by name or GL name, shared locations and blocks.
// (That use() makes each of the nine current shows in every frame test.)
#include "ExpectGlErrors.h"
#include "ImporterTest.h"

#include <list>
#include <stdexcept>
#include <string>

using namespace Quessel;
using namespace Quessel::Test;

namespace {
GLint currentGlProgram() {
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

GLint linkStatus(GLuint program) {
    GLint linked = -1;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked;
}

const char* const PlainVertex =
    "#version 430 core\nin vec3 position;\n"
    "void main() { gl_Position = vec4(position, 1.0); }\n";
const char* const PlainFragment = "#version 430 core\nout vec4 colour;\nvoid main() { colour = vec4(1.0); }\n";

using ShaderRegistryTest = ImporterTest;
}  // namespace

TEST_F(ShaderRegistryTest, UnknownNamesThrowAndForeignGlNamesAreIgnored) {
    EXPECT_EQ(importer.registry, &registry);
    registry.use("depth");
    EXPECT_EQ(currentGlProgram(), static_cast<GLint>(registry.get("depth").program));
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
    const GLuint foreign = glCreateProgram();
    for (GLuint name : {0u, foreign, foreign + 1000u}) {
        registry.useProgram(name);
        EXPECT_EQ(registry.current, &reflect) << name;
        EXPECT_EQ(currentGlProgram(), static_cast<GLint>(reflect.program)) << name;
    }
    glDeleteProgram(foreign);
}

TEST_F(ShaderRegistryTest, ProgramFromMissingFilesIsStillBuiltAndRegistered) {
    static std::list<std::string> names;  // fresh names on every run, so the programs are really built
    const char* brokenName = names.emplace_back("missing-files-" + std::to_string(names.size())).c_str();
    registry.use("test");
    ShaderProgram* const before = registry.current;
    testing::internal::CaptureStdout();
    ShaderProgram* broken = nullptr;
    {
        // Empty sources fail to compile; binding the blocks of the program that did not
        // link gives the invalid index, and using it is refused.
        ExpectGlErrors failed{GL_DEBUG_SOURCE_SHADER_COMPILER, GL_INVALID_VALUE, GL_INVALID_OPERATION};
        broken = &registry.add(brokenName, "Shader/none.vert", "Shader/none.frag");
        EXPECT_GT(failed.count(), 0);
    }
    const std::string brokenLogs = testing::internal::GetCapturedStdout();
    // The compile and link logs are the only report, each closed by a line feed.
    EXPECT_FALSE(brokenLogs.empty());
    EXPECT_EQ(brokenLogs.back(), '\n');
    EXPECT_EQ(&registry.get(brokenName), broken);
    EXPECT_NE(broken->program, 0u);
    EXPECT_NE(broken->vertexShader, 0u);
    EXPECT_NE(broken->fragmentShader, 0u);
    EXPECT_EQ(linkStatus(broken->program), GL_FALSE);
    EXPECT_EQ(registry.current, before);
    EXPECT_EQ(broken->texLocation, -1);

    // A program without blocks links and is left in use in GL, yet the registry's current
    // stays; each of the five block bindings was still attempted with the invalid index.
    int blockErrors = 0;
    const ShaderProgram& plain = programFromSource("plain", PlainVertex, PlainFragment, &blockErrors);
    EXPECT_EQ(blockErrors, 5);
    EXPECT_EQ(currentGlProgram(), static_cast<GLint>(plain.program));
    EXPECT_EQ(registry.current, before);
    EXPECT_EQ(linkStatus(plain.program), GL_TRUE);

    // A second insert under the same name keeps the first record.
    EXPECT_EQ(&registry.add(brokenName, "Shader/test.vert", "Shader/test.frag"), broken);
    ExpectGlErrors unlinked{GL_INVALID_OPERATION};
    registry.use(brokenName);
    EXPECT_EQ(registry.current, broken);
}

TEST_F(ShaderRegistryTest, BuilderGivesShadersWithoutLayoutsTheSharedLocationsAndBindings) {
    // The demo's shaders fix their own locations and bindings; these leave them to the
    // builder, inputs declared in another order than their locations.
    const ShaderProgram& open = programFromSource(
        "open",
        "#version 430 core\n"
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
        "}\n",
        "#version 430 core\n"
        "in vec4 shade;\nuniform sampler2D tex;\nuniform sampler2D nmTex;\n"
        "out vec4 colour;\n"
        "void main() { colour = shade + texture(tex, shade.xy) + texture(nmTex, shade.zw); }\n");
    ASSERT_EQ(linkStatus(open.program), GL_TRUE) << programInfoLog(open.program);

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
}
