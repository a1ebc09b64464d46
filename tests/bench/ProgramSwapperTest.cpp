// The bench's swap of program sources on small programs whose link decides what a relink
// would lose: attribute locations without a layout, blocks without a layout binding,
// samplers and values set with glUniform. Each program is drawn into a small target
// before, during and after the swap.
#include "GlTestContext.h"

#include "bench/ProgramSwapper.h"
#include "scene/UniformSnapshot.h"
#include "core/GlConstants.h"
#include "scene/ShaderRegistry.h"

#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Quessel::Bench::ProgramSwapper;
namespace Binding = Quessel::BlockBinding;

// The demo side: every location, binding and sampler unit comes from the link or from
// glUniform, none from a layout qualifier.
const char* const DemoVertex = R"(#version 430 core
in vec3 vpos;
in vec2 offset;
layout(std140) uniform Matrices { mat4 projection; mat4 view; mat4 model; } matrices;
void main() { gl_Position = matrices.model * vec4(vpos.xy + offset, 0.0, 1.0); }
)";

const char* const DemoFragment = R"(#version 430 core
uniform vec3 tint;
uniform float weights[2];
uniform sampler2D tex;
layout(std140) uniform Material { vec4 diffuse; vec4 ambient; vec4 specular; vec4 emissive;
                                  float shininess; int hasTexture; } material;
layout(location = 0) out vec4 fragColor;
void main() {
    vec3 texel = texture(tex, vec2(0.5)).rgb;
    fragColor = vec4(tint * texel * material.diffuse.rgb * (weights[0] + weights[1]), 1.0);
}
)";

// The cheap side: a four-slot input ahead of the quad's, so that a link left to itself
// would move them, and no "tex" at all.
const char* const CheapVertex = R"(#version 430 core
in mat4 extra;
in vec2 offset;
in vec3 vpos;
layout(std140) uniform Matrices { mat4 projection; mat4 view; mat4 model; } matrices;
void main() { gl_Position = matrices.model * vec4(vpos.xy + offset, extra[3].w - 1.0, 1.0); }
)";

const char* const CheapFragment = R"(#version 430 core
uniform vec3 tint;
layout(location = 0) out vec4 fragColor;
void main() { fragColor = vec4(tint.zyx, 1.0); }
)";

// "tint" as a float: the snapshot's vec3 must not be written to it.
const char* const MismatchedFragment = R"(#version 430 core
uniform float tint;
layout(location = 0) out vec4 fragColor;
void main() { fragColor = vec4(tint); }
)";

// Compiles, but reads an input no vertex shader writes: the link fails.
const char* const UnlinkableFragment = R"(#version 430 core
in vec3 missing;
layout(location = 0) out vec4 fragColor;
void main() { fragColor = vec4(missing, 1.0); }
)";

const char* const BrokenFragment = "#version 430 core\nvoid main() { this is not GLSL }\n";

constexpr int Size = 4;
const glm::vec3 Tint(0.5f, 1.0f, 0.25f);
constexpr GLint TextureUnit = 3;

std::string directory() {
    static const std::string path = [] {
        char pattern[] = "/tmp/quessel-swap-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::string(made ? made : "/tmp");
    }();
    return path;
}

std::string writeFile(const std::string& name, const char* text) {
    const std::string path = directory() + "/" + name;
    std::ofstream(path) << text;
    return path;
}

// The registry keeps the paths and the name it is given: they must outlive it.
Quessel::ShaderProgram& demoProgram() {
    static const std::string vertex = writeFile("demo.vert", DemoVertex);
    static const std::string fragment = writeFile("demo.frag", DemoFragment);
    Quessel::ShaderProgram& record =
        Quessel::ShaderRegistry::instance().add("swap-demo", vertex.c_str(), fragment.c_str());
    // Building binds the blocks the program lacks and leaves GL_INVALID_VALUE behind.
    Quessel::Test::clearGlErrors();
    return record;
}

std::vector<ProgramSwapper::CheapSource> sources(const char* fragment) {
    return {{"swap-demo", writeFile("cheap.vert", CheapVertex), writeFile("cheap.frag", fragment)}};
}

GLint blockBinding(GLuint program, const char* block) {
    const GLuint index = glGetUniformBlockIndex(program, block);
    if (index == GL_INVALID_INDEX) return -1;
    GLint binding = -1;
    glGetActiveUniformBlockiv(program, index, GL_UNIFORM_BLOCK_BINDING, &binding);
    return binding;
}

class ProgramSwapperTest : public Quessel::Test::GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        record = &demoProgram();
        program = record->program;
        // The values a host sets once: they must survive both relinks.
        glUseProgram(program);
        glUniform3fv(glGetUniformLocation(program, "tint"), 1, glm::value_ptr(Tint));
        glUniform1f(glGetUniformLocation(program, "weights[0]"), 0.25f);
        glUniform1f(glGetUniformLocation(program, "weights[1]"), 0.75f);
        glUniform1i(glGetUniformLocation(program, "tex"), TextureUnit);
        vposLocation = glGetAttribLocation(program, "vpos");
        offsetLocation = glGetAttribLocation(program, "offset");
        buildTarget();
        buildQuad();
        buildBuffers();
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    void TearDown() override {
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &target);
        glDeleteTextures(1, &white);
        glDeleteVertexArrays(1, &vertexArray);
        glDeleteBuffers(GLsizei(buffers.size()), buffers.data());
        GlTest::TearDown();
    }

    void buildTarget() {
        glGenTextures(1, &target);
        glBindTexture(GL_TEXTURE_2D, target);
        glTexStorage2D(GL_TEXTURE_2D, 1, GL_RGBA8, Size, Size);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
        const unsigned char texel[4] = {255, 255, 255, 255};
        glActiveTexture(GL_TEXTURE0 + TextureUnit);
        glGenTextures(1, &white);
        glBindTexture(GL_TEXTURE_2D, white);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glActiveTexture(GL_TEXTURE0);
    }

    // Built once with the demo program's attribute locations, as the composite's quad is.
    void buildQuad() {
        const float corners[12] = {-1, -1, 0, 3, -1, 0, -1, 3, 0, 0, 0, 0};
        const float offsets[6] = {0, 0, 0, 0, 0, 0};
        glGenVertexArrays(1, &vertexArray);
        glBindVertexArray(vertexArray);
        addAttribute(vposLocation, 3, corners, sizeof(corners));
        addAttribute(offsetLocation, 2, offsets, sizeof(offsets));
        glBindVertexArray(0);
    }

    void addAttribute(GLint location, GLint components, const float* data, GLsizeiptr bytes) {
        buffers.push_back(0);
        glGenBuffers(1, &buffers.back());
        glBindBuffer(GL_ARRAY_BUFFER, buffers.back());
        glBufferData(GL_ARRAY_BUFFER, bytes, data, GL_STATIC_DRAW);
        glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(static_cast<GLuint>(location));
    }

    void buildBuffers() {
        const glm::mat4 matrices[3] = {glm::mat4(1.0f), glm::mat4(1.0f), glm::mat4(1.0f)};
        std::array<float, 18> material{};
        material.fill(1.0f);
        for (const auto& block :
             {std::make_pair(Binding::Matrices, std::make_pair(static_cast<const void*>(matrices), sizeof(matrices))),
              std::make_pair(Binding::Material,
                             std::make_pair(static_cast<const void*>(material.data()), sizeof(material)))}) {
            buffers.push_back(0);
            glGenBuffers(1, &buffers.back());
            glBindBuffer(GL_UNIFORM_BUFFER, buffers.back());
            glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(block.second.second), block.second.first,
                         GL_STATIC_DRAW);
            glBindBufferBase(GL_UNIFORM_BUFFER, static_cast<GLuint>(block.first), buffers.back());
        }
        glBindBuffer(GL_UNIFORM_BUFFER, 0);
    }

    // Draws the full-target triangle as scene drawing does (sampler unit set through the
    // record's location) and returns the centre texel; GL errors fail the test.
    std::array<int, 3> draw() {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glViewport(0, 0, Size, Size);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glUseProgram(program);
        glUniform1i(record->texLocation, TextureUnit);
        glBindVertexArray(vertexArray);
        glDrawArrays(GL_TRIANGLES, 0, 3);
        glBindVertexArray(0);
        unsigned char texel[4] = {0, 0, 0, 0};
        glReadPixels(Size / 2, Size / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        return {texel[0], texel[1], texel[2]};
    }

    static std::array<int, 3> expected(const glm::vec3& colour) {
        return {int(colour.r * 255.0f + 0.5f), int(colour.g * 255.0f + 0.5f), int(colour.b * 255.0f + 0.5f)};
    }

    // What a relink must leave as the demo's link had it.
    void expectInterfaceKept() {
        EXPECT_EQ(glGetAttribLocation(program, "vpos"), vposLocation);
        EXPECT_EQ(glGetAttribLocation(program, "offset"), offsetLocation);
        EXPECT_EQ(blockBinding(program, "Matrices"), record->matricesBinding);
        EXPECT_EQ(record->texLocation, glGetUniformLocation(program, "tex"));
        EXPECT_EQ(record->nmTexLocation, glGetUniformLocation(program, "nmTex"));
        glm::vec3 tint(0.0f);
        glGetUniformfv(program, glGetUniformLocation(program, "tint"), glm::value_ptr(tint));
        EXPECT_EQ(tint, Tint);
    }

    Quessel::ShaderProgram* record = nullptr;
    GLuint program = 0;
    GLint vposLocation = -1;
    GLint offsetLocation = -1;
    GLuint framebuffer = 0;
    GLuint target = 0;
    GLuint white = 0;
    GLuint vertexArray = 0;
    std::vector<GLuint> buffers;
};

TEST_F(ProgramSwapperTest, RelinksTheSameProgramBothWaysKeepingWhatTheHostSetOnce) {
    const std::array<int, 3> demoColour = draw();
    ASSERT_EQ(demoColour, expected(Tint));

    ProgramSwapper swapper(Quessel::ShaderRegistry::instance(), sources(CheapFragment));
    ASSERT_TRUE(swapper.ready) << swapper.error;
    ASSERT_TRUE(swapper.useCheap()) << swapper.error;
    EXPECT_TRUE(swapper.cheap());
    EXPECT_EQ(record->program, program);
    EXPECT_EQ(record->texLocation, -1);
    expectInterfaceKept();
    EXPECT_EQ(draw(), expected(glm::vec3(Tint.z, Tint.y, Tint.x)));

    ASSERT_TRUE(swapper.useDemo()) << swapper.error;
    EXPECT_FALSE(swapper.cheap());
    expectInterfaceKept();
    EXPECT_EQ(blockBinding(program, "Material"), record->materialBinding);
    GLint unit = -1;
    glGetUniformiv(program, glGetUniformLocation(program, "tex"), &unit);
    EXPECT_EQ(unit, TextureUnit);
    float weight = 0.0f;
    glGetUniformfv(program, glGetUniformLocation(program, "weights[1]"), &weight);
    EXPECT_EQ(weight, 0.75f);
    EXPECT_EQ(draw(), demoColour);

    // A second round trip finds everything as the first did.
    ASSERT_TRUE(swapper.useCheap());
    ASSERT_TRUE(swapper.useDemo());
    EXPECT_EQ(draw(), demoColour);
}

TEST_F(ProgramSwapperTest, FailedCheapLinkPutsTheDemoShadersBack) {
    const std::array<int, 3> demoColour = draw();
    ProgramSwapper swapper(Quessel::ShaderRegistry::instance(), sources(UnlinkableFragment));
    ASSERT_TRUE(swapper.ready) << swapper.error;
    EXPECT_FALSE(swapper.useCheap());
    EXPECT_NE(swapper.error.find("swap-demo"), std::string::npos) << swapper.error;
    EXPECT_FALSE(swapper.cheap());
    Quessel::Test::clearGlErrors();
    expectInterfaceKept();
    EXPECT_EQ(draw(), demoColour);
}

TEST_F(ProgramSwapperTest, NotReadyWithABrokenSourceOrAnUnknownProgram) {
    const ProgramSwapper broken(Quessel::ShaderRegistry::instance(), sources(BrokenFragment));
    EXPECT_FALSE(broken.ready);
    EXPECT_NE(broken.error.find("cheap.frag"), std::string::npos) << broken.error;

    const ProgramSwapper missing(Quessel::ShaderRegistry::instance(),
                                 {{"no-such-program", directory() + "/cheap.vert", directory() + "/cheap.frag"}});
    EXPECT_FALSE(missing.ready);
    EXPECT_NE(missing.error.find("no-such-program"), std::string::npos) << missing.error;
    Quessel::Test::clearGlErrors();
}

TEST_F(ProgramSwapperTest, SnapshotWritesOnlyUniformsOfTheSameNameAndType) {
    const Quessel::UniformSnapshot snapshot = Quessel::UniformSnapshot::of(program);
    // tint, weights[0], weights[1], tex.
    EXPECT_EQ(snapshot.size(), 4u);

    glUniform3f(glGetUniformLocation(program, "tint"), 0.0f, 0.0f, 0.0f);
    glUniform1i(glGetUniformLocation(program, "tex"), 0);
    EXPECT_EQ(snapshot.restore(program), 4);
    glm::vec3 tint(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, "tint"), glm::value_ptr(tint));
    EXPECT_EQ(tint, Tint);

    ProgramSwapper cheap(Quessel::ShaderRegistry::instance(), sources(CheapFragment));
    ASSERT_TRUE(cheap.useCheap());
    EXPECT_EQ(snapshot.restore(program), 1);  // the cheap program has only "tint"
    ASSERT_TRUE(cheap.useDemo());

    ProgramSwapper mismatched(Quessel::ShaderRegistry::instance(), sources(MismatchedFragment));
    ASSERT_TRUE(mismatched.useCheap());
    EXPECT_EQ(snapshot.restore(program), 0);
    ASSERT_TRUE(mismatched.useDemo());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
