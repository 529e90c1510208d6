// Render targets on a real GL context: a pass lands in the colour texture and
// not in the window, filters, depth copy, guards, and the exit without the
// framebuffer extension.
#include "render/RenderTextureSystem.h"
#include "render/Quad.h"

#include "TextureFixtures.h"

#include "platform/OffscreenGL.h"

#include <cstdlib>
#include <vector>

using MivexGL::cRenderTextureSystem;

namespace
{

using RenderTarget = fixtures::GLTest;

void IdentityMatrices()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1.0, 1.0, -1.0, 1.0, -2.0, 2.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

GLint Binding(GLenum which)
{
    GLint value = -1;
    glGetIntegerv(which, &value);
    return value;
}

TEST_F(RenderTarget, PassLandsInTheColourTextureNotTheWindow)
{
    glViewport(0, 0, 64, 64);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    cRenderTextureSystem target;
    ASSERT_TRUE(target.Create(32, 16, 1));
    EXPECT_EQ(target.GetWidth(), 32);
    EXPECT_EQ(target.GetHeight(), 16);
    ASSERT_NE(target.GetColorTexture(), 0u);
    EXPECT_EQ(Binding(GL_FRAMEBUFFER_BINDING_EXT), 0);

    target.Begin();
    glPushAttrib(GL_VIEWPORT_BIT);
    glViewport(0, 0, target.GetWidth(), target.GetHeight());
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    IdentityMatrices();
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 0.5f, 0.25f, 1.0f);
    MivexGL::DrawQuad();
    target.End();
    glPopAttrib();
    EXPECT_EQ(Binding(GL_FRAMEBUFFER_BINDING_EXT), 0);

    target.BindColor();
    std::vector<float> texels(32 * 16 * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    for (int i : {0, 17 * 4, static_cast<int>(texels.size()) - 4})
    {
        EXPECT_NEAR(texels[i], 1.0f, 0.01f);
        EXPECT_NEAR(texels[i + 1], 0.5f, 0.01f);
        EXPECT_NEAR(texels[i + 2], 0.25f, 0.01f);
        EXPECT_NEAR(texels[i + 3], 1.0f, 0.01f);
    }
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_RGBA16F_ARB);
    target.Unbind();
    EXPECT_EQ(Binding(GL_TEXTURE_BINDING_2D), 0);

    // The window kept its own clear.
    unsigned char pixel[4] = {};
    glReadPixels(8, 8, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderTarget, FilterChoosesNearestLinearOrTheDefaults)
{
    struct Case
    {
        int filter;
        GLint min, mag;
    };
    for (const Case& c : {Case{0, GL_NEAREST, GL_NEAREST}, Case{1, GL_LINEAR, GL_LINEAR},
                          Case{2, GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR}})
    {
        cRenderTextureSystem target;
        ASSERT_TRUE(target.Create(16, 16, c.filter));
        target.BindColor();
        GLint min = 0, mag = 0, mipmap = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, &mipmap);
        EXPECT_EQ(min, c.min) << "filter " << c.filter;
        EXPECT_EQ(mag, c.mag) << "filter " << c.filter;
        EXPECT_EQ(mipmap, GL_TRUE);
    }
}

TEST_F(RenderTarget, ColourFormatIsHalfFloatUnlessToldAndClampsWhenEightBit)
{
    for (GLenum format : {static_cast<GLenum>(GL_RGBA16F_ARB), static_cast<GLenum>(GL_RGBA8)})
    {
        cRenderTextureSystem target;
        if (format == GL_RGBA8)
        {
            target.SetColorFormat(format);
        }
        ASSERT_TRUE(target.Create(8, 8, 0));
        target.Begin();
        glPushAttrib(GL_VIEWPORT_BIT);
        glViewport(0, 0, 8, 8);
        glClearColor(2.0f, 0.5f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        target.End();
        glPopAttrib();
        target.BindColor();
        GLint internal = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
        EXPECT_EQ(static_cast<GLenum>(internal), format);
        std::vector<float> texels(8 * 8 * 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
        target.Unbind();
        // Half float keeps what is above one; 8 bits stop at one.
        EXPECT_NEAR(texels[0], format == GL_RGBA8 ? 1.0f : 2.0f, 0.01f);
        EXPECT_NEAR(texels[1], 0.5f, 0.01f);
    }
}

TEST_F(RenderTarget, EndReturnsToTheWindowWhateverWasBoundBetween)
{
    cRenderTextureSystem target;
    ASSERT_TRUE(target.Create(16, 16, 1));
    target.Begin();
    EXPECT_EQ(static_cast<GLuint>(Binding(GL_FRAMEBUFFER_BINDING_EXT)), target.GetFramebuffer());
    GLuint other = 0;
    glGenRenderbuffersEXT(1, &other);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, other);
    target.End();
    EXPECT_EQ(Binding(GL_FRAMEBUFFER_BINDING_EXT), 0);
    EXPECT_EQ(Binding(GL_RENDERBUFFER_BINDING_EXT), 0);
    glDeleteRenderbuffersEXT(1, &other);
}

TEST_F(RenderTarget, CopyDepthTakesTheTargetsDepth)
{
    cRenderTextureSystem target;
    ASSERT_TRUE(target.Create(16, 16, 0));
    target.Begin();
    glClearDepth(0.25);
    glClear(GL_DEPTH_BUFFER_BIT);
    target.CopyDepth();
    target.End();
    glClearDepth(1.0);
    EXPECT_EQ(static_cast<GLuint>(Binding(GL_TEXTURE_BINDING_2D)), target.GetDepthTexture());
    std::vector<float> depth(16 * 16);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    EXPECT_NEAR(depth[0], 0.25f, 0.01f);
    EXPECT_NEAR(depth[16 * 16 - 1], 0.25f, 0.01f);
}

TEST_F(RenderTarget, DepthInTextureNeedsNoCopy)
{
    cRenderTextureSystem target;
    target.SetDepthInTexture(true);
    ASSERT_TRUE(target.Create(16, 16, 0));
    target.Begin();
    glPushAttrib(GL_VIEWPORT_BIT | GL_ENABLE_BIT);
    glViewport(0, 0, 16, 16);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // A quad over the left half at depth 0.25 (z = -0.5 of the identity
    // projection), tested against the cleared far plane.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glBegin(GL_QUADS);
    glVertex3f(-1.0f, -1.0f, -0.5f);
    glVertex3f(0.0f, -1.0f, -0.5f);
    glVertex3f(0.0f, 1.0f, -0.5f);
    glVertex3f(-1.0f, 1.0f, -0.5f);
    glEnd();
    target.CopyDepth();
    target.End();
    glPopAttrib();
    target.BindDepth();
    std::vector<float> depth(16 * 16);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    target.Unbind();
    EXPECT_NEAR(depth[0], 0.25f, 0.01f);
    EXPECT_NEAR(depth[16 * 16 - 1], 1.0f, 0.01f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderTarget, NeverCreatedTargetDoesNothing)
{
    cRenderTextureSystem target;
    target.Begin();
    EXPECT_EQ(Binding(GL_FRAMEBUFFER_BINDING_EXT), 0);
    target.CopyDepth();
    target.BeginCube();
    target.End();
    target.BindColor();
    EXPECT_EQ(Binding(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderTarget, RecreateInANewContextLeavesItsObjectsAlone)
{
    cRenderTextureSystem target;
    ASSERT_TRUE(target.Create(16, 16, 1));

    // A display switch: new context, whose first objects reuse the old names.
    gl->Destroy();
    ASSERT_TRUE(gl->Create(64, 64));
    GLuint textures[4] = {};
    glGenTextures(4, textures);
    for (GLuint name : textures)
    {
        glBindTexture(GL_TEXTURE_2D, name);
    }
    GLuint framebuffer = 0;
    glGenFramebuffersEXT(1, &framebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);

    ASSERT_TRUE(target.Create(8, 8, 1));
    for (GLuint name : textures)
    {
        EXPECT_TRUE(glIsTexture(name)) << name;
    }
    EXPECT_TRUE(glIsFramebufferEXT(framebuffer));
    GLint width = 0;
    target.BindColor();
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 8);
}

TEST_F(RenderTarget, CubeVariantMakesSixFacesAndLeavesCubeMappingOff)
{
    cRenderTextureSystem target;
    ASSERT_TRUE(target.CreateCube(32, 32));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
    EXPECT_EQ(Binding(GL_FRAMEBUFFER_BINDING_EXT), 0);
    target.BindCube();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
    EXPECT_EQ(static_cast<GLuint>(Binding(GL_TEXTURE_BINDING_CUBE_MAP)), target.GetColorTexture());
    GLint width = 0, wrap = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, &wrap);
    EXPECT_EQ(width, 32);
    EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
    target.BeginCube();
    EXPECT_EQ(static_cast<GLuint>(Binding(GL_FRAMEBUFFER_BINDING_EXT)), target.GetFramebuffer());
    target.EndCube();
    target.UnbindCube();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
    EXPECT_EQ(Binding(GL_TEXTURE_BINDING_CUBE_MAP), 0);
}

TEST(RenderTargetWithoutExtension, CreateShowsTheErrorAndExitsWith99)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child process starts its own context with the extension hidden.
    EXPECT_EXIT(
        {
            ::setenv("MESA_EXTENSION_OVERRIDE", "-GL_EXT_framebuffer_object", 1);
            platform::OffscreenGL gl;
            if (!gl.Create(16, 16))
            {
                std::exit(3);
            }
            cRenderTextureSystem target;
            target.Create(16, 16, 1);
            std::exit(0);
        },
        testing::ExitedWithCode(99),
        "Error: GL_EXT_framebuffer_object NOT supported \\. Upgrade your gfx motha fucka");
}

TEST(RenderTargetWithoutContext, CreateFailsQuietly)
{
    cRenderTextureSystem target;
    EXPECT_FALSE(target.Create(16, 16, 1));
    EXPECT_EQ(target.GetFramebuffer(), 0u);
}

} // namespace
