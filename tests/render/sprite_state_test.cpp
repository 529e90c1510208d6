// The sprite state against a real context: the blend it sets adds or mixes
// as asked, sprites leave the depth buffer alone, and the scope's end puts
// back what was there.
#include "platform/GL.h"
#include "platform/OffscreenGL.h"
#include "render/SpriteState.h"

#include <gtest/gtest.h>

namespace
{

using MivexGL::cSpriteState;

class SpriteState : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!gl.Create(8, 8))
        {
            GTEST_SKIP() << "no GL context available";
        }
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
        glEnable(GL_CULL_FACE);
    }

    // A half-transparent white quad over the whole target at depth 0,
    // drawn over grey 0.5 with the depth cleared to 1; the red at the
    // centre and the depth left there.
    void DrawOverGrey(GLenum destination, float& red, float& depth)
    {
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        {
            const cSpriteState sprites(0, destination);
            glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
            glBegin(GL_QUADS);
            glVertex3f(-1.0f, -1.0f, 0.0f);
            glVertex3f(1.0f, -1.0f, 0.0f);
            glVertex3f(1.0f, 1.0f, 0.0f);
            glVertex3f(-1.0f, 1.0f, 0.0f);
            glEnd();
        }
        glReadPixels(4, 4, 1, 1, GL_RED, GL_FLOAT, &red);
        glReadPixels(4, 4, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    }

    platform::OffscreenGL gl;
};

TEST_F(SpriteState, AddsOrMixesWithoutDepthWritesAndPutsTheStateBack)
{
    float red = 0.0f;
    float depth = 0.0f;
    DrawOverGrey(GL_ONE, red, depth);
    EXPECT_NEAR(red, 1.0f, 0.01f); // 0.5 + 0.5 * 1, clamped
    EXPECT_NEAR(depth, 1.0f, 0.001f);
    DrawOverGrey(GL_ONE_MINUS_SRC_ALPHA, red, depth);
    EXPECT_NEAR(red, 0.75f, 0.01f); // 0.5 * 1 + 0.5 * 0.5
    EXPECT_NEAR(depth, 1.0f, 0.001f);

    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLboolean depthMask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_TRUE(depthMask);
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[3], 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
