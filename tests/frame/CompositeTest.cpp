// The composite of real frames: the colour target's mip chain is rebuilt, the depth
// target is read on a unit of its own, and a camera hold hands the blur no motion.
#include "FrameDriver.h"

#include "app/OffscreenFramebuffer.h"
#include "math/Camera.h"
#include "scene/GlConstants.h"
#include "scene/Importer.h"

#include <cstring>

using namespace Quessel;

namespace {
mat4 readView(GLuint buffer) {
    mat4 view(0.0f);
    glBindBuffer(GL_UNIFORM_BUFFER, buffer);
    glGetBufferSubData(GL_UNIFORM_BUFFER, 64, sizeof(mat4), glm::value_ptr(view));
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    return view;
}
}  // namespace

TEST(Composite, RebuildsTheMipChainReadsDepthOnItsOwnUnitAndSeesNoMotionInAHold) {
    QuesselTest::FrameDriver driver;
    ASSERT_TRUE(driver.ok);
    Demo& demo = driver.demo;

    // The first frame clears the window with the particle system's white, then switches.
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 1.0f);
    driver.frame(1.0 / 30.0);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[1], 0.8f);
    EXPECT_FLOAT_EQ(clear[3], 0.5f);
    // Nothing culls: open meshes seen from behind must still be drawn.
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, demo.colorTarget->texture);
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, ScreenWidth / 2);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 10, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 1);  // the whole chain down to 1 x 1
    // The colour target is on unit 0; the depth target was left on a unit of its own.
    GLint depthBound = 0;
    glActiveTexture(GL_TEXTURE0 + TextureUnit::DepthTarget);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &depthBound);
    EXPECT_EQ(static_cast<GLuint>(depthBound), demo.depthTarget->texture);
    glActiveTexture(GL_TEXTURE0);

    // While moving, the previous view differs from the view; during the P1 hold it
    // equals it in the blocks the composite reads.
    const Importer& importer = *demo.importer;
    EXPECT_NE(readView(importer.previousMatricesBuffer), readView(importer.matricesBuffer));
    driver.runUntil(9.0, 0.5);
    driver.frame(1.0 / 30.0);
    ASSERT_EQ(demo.path.step, 1);
    EXPECT_EQ(readView(importer.previousMatricesBuffer), readView(importer.matricesBuffer));
    EXPECT_EQ(readView(importer.matricesBuffer), demo.camera.view);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
