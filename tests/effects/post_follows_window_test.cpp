// The post-effect chain without a size of its own follows the window: made
// at the viewport's size on its first frame, made again when the window goes
// from 1024x768 to 1280x720 and back, the picture whole and texel for texel
// each time; and a target knows when a display switch has lost it.
#include "effects/PostEffects.h"

#include "platform/GL.h"
#include "platform/OffscreenGL.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace
{

// One-pixel columns, white on even x, and a red top row: a stretched,
// cropped or shifted picture breaks the columns or loses the row.
void DrawColumns(int width, int height)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_QUADS);
    glColor3f(1.0f, 1.0f, 1.0f);
    for (int x = 0; x < width; x += 2)
    {
        glVertex2i(x, 0);
        glVertex2i(x + 1, 0);
        glVertex2i(x + 1, height - 1);
        glVertex2i(x, height - 1);
    }
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex2i(0, height - 1);
    glVertex2i(width, height - 1);
    glVertex2i(width, height);
    glVertex2i(0, height);
    glEnd();
}

using Pixel = std::array<unsigned char, 3>;

Pixel At(int x, int y)
{
    Pixel pixel{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel.data());
    return pixel;
}

} // namespace

TEST(PostFollowsWindow, AResizedWindowKeepsThePictureWholeAndSharp)
{
    platform::OffscreenGL gl;
    ASSERT_TRUE(gl.Create(1280, 768));
    MivexGL::cPostEffects post;
    const Pixel white{255, 255, 255};
    const Pixel black{0, 0, 0};
    const Pixel red{255, 0, 0};
    for (const auto [w, h] : {std::array<int, 2>{1024, 768}, {1280, 720}, {1024, 768}})
    {
        glViewport(0, 0, 1280, 768);
        glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glViewport(0, 0, w, h);
        post.BeginScene(0.0f, 0.0f, 0.0f);
        DrawColumns(w, h);
        post.EndScene();
        post.Present(0.0f);
        glReadBuffer(GL_BACK);
        EXPECT_EQ(post.GetWidth(), w);
        // A second frame at the same size keeps the targets.
        const GLuint made = post.GetSceneTarget().GetFramebuffer();
        post.BeginScene(0.0f, 0.0f, 0.0f);
        DrawColumns(w, h);
        post.EndScene();
        EXPECT_EQ(post.GetSceneTarget().GetFramebuffer(), made);
        post.Present(0.0f);
        EXPECT_EQ(post.GetHeight(), h);
        for (const int x : {0, 1, w / 2, w / 2 + 1, w - 2, w - 1})
        {
            EXPECT_EQ(At(x, h / 2), x % 2 == 0 ? white : black) << w << "x" << h << " at " << x;
        }
        EXPECT_EQ(At(0, h - 1), red) << w << "x" << h;
        EXPECT_EQ(At(w - 1, h - 1), red) << w << "x" << h;
        // Nothing beyond the window's own part.
        if (w < 1280)
        {
            EXPECT_EQ(At(w, h / 2), (Pixel{0, 0, 255}));
        }
        if (h < 768)
        {
            EXPECT_EQ(At(w / 2, h), (Pixel{0, 0, 255}));
        }
    }
}

TEST(PostFollowsWindow, ATargetKnowsWhenAnotherContextHasLostIt)
{
    platform::OffscreenGL first;
    ASSERT_TRUE(first.Create(64, 64));
    MivexGL::cRenderTextureSystem target;
    target.Create(32, 32, 1);
    EXPECT_TRUE(target.IsLive());
    {
        platform::OffscreenGL second;
        ASSERT_TRUE(second.Create(64, 64));
        // A back end whose contexts share one group of objects (headless)
        // keeps the target in this context too; elsewhere it is lost.
        if (glIsFramebufferEXT(target.GetFramebuffer()) == GL_FALSE)
        {
            EXPECT_FALSE(target.IsLive());
        }
        // Forgotten where lost, deleted where shared: no name is left.
        target.Release();
        EXPECT_EQ(target.GetFramebuffer(), 0u);
        EXPECT_EQ(target.GetColorTexture(), 0u);
    }
    ASSERT_TRUE(first.MakeCurrent());
    MivexGL::cRenderTextureSystem again;
    again.Create(16, 16, 1);
    EXPECT_TRUE(again.IsLive());
    const GLuint texture = again.GetColorTexture();
    again.Release();
    EXPECT_FALSE(again.IsLive());
    EXPECT_EQ(glIsTexture(texture), GL_FALSE);
}
