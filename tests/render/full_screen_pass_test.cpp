// A full-screen pass draws into its target at the target's size, covering it
// (or the part asked for) with the texture read at the same place, and puts
// back the framebuffer, viewport, depth test and matrices it found, the
// depth test off as well as on.
#include "render/FullScreenPass.h"

#include "TextureFixtures.h"

#include <cstdint>
#include <vector>

namespace
{

using FullScreenPass = fixtures::GLTest;

constexpr int kWidth = 16;
constexpr int kHeight = 8;

std::uint8_t Texel(int x, int y, int channel)
{
    return static_cast<std::uint8_t>(channel == 0 ? x * 15 : channel == 1 ? y * 30 : 255);
}

GLuint MakeSource()
{
    std::vector<std::uint8_t> texels;
    for (int y = 0; y < kHeight; ++y)
    {
        for (int x = 0; x < kWidth; ++x)
        {
            for (int c = 0; c < 4; ++c)
            {
                texels.push_back(Texel(x, y, c));
            }
        }
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kWidth, kHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

std::vector<std::uint8_t> Read(const MivexGL::cRenderTextureSystem& target)
{
    std::vector<std::uint8_t> pixels(kWidth * kHeight * 4);
    glBindTexture(GL_TEXTURE_2D, target.GetColorTexture());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return pixels;
}

// Pixels inside [left, right) x [bottom, top) hold the source's texel there,
// the others the clear colour (0).
int Wrong(const std::vector<std::uint8_t>& pixels, int left, int bottom, int right, int top)
{
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y)
    {
        for (int x = 0; x < kWidth; ++x)
        {
            const bool inside = x >= left && x < right && y >= bottom && y < top;
            for (int c = 0; c < 3; ++c)
            {
                const int want = inside ? Texel(x, y, c) : 0;
                wrong += pixels[static_cast<std::size_t>((y * kWidth + x) * 4 + c)] != want;
            }
        }
    }
    return wrong;
}

// Draws the source through a pass into target, as a module would.
template <typename Draw>
void Pass(MivexGL::cRenderTextureSystem& target, GLuint source, Draw&& draw)
{
    MivexGL::cFullScreenPass pass(target);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, source);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    draw();
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
}

TEST_F(FullScreenPass, CoversTheTargetOrItsPartAndPutsBackWhatItFound)
{
    MivexGL::cRenderTextureSystem target;
    target.SetColorFormat(GL_RGBA8);
    ASSERT_TRUE(target.Create(kWidth, kHeight, 0));
    glBindTexture(GL_TEXTURE_2D, 0);
    const GLuint source = MakeSource();
    glViewport(0, 0, 64, 64);
    // Matrices a scene left: the pass draws under its own.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.0, 1.0, -1.0, 1.0, 1.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.5f, 0.0f, -3.0f);
    GLfloat modelView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);

    for (bool depthTest : {true, false})
    {
        if (depthTest)
        {
            glEnable(GL_DEPTH_TEST);
        }
        else
        {
            glDisable(GL_DEPTH_TEST);
        }
        Pass(target, source, [] { MivexGL::DrawFullScreen(); });
        EXPECT_EQ(Wrong(Read(target), 0, 0, kWidth, kHeight), 0);
        Pass(target, source, [] { MivexGL::DrawFullScreenPart(0.25f, 0.5f, 0.75f, 1.0f); });
        EXPECT_EQ(Wrong(Read(target), 4, 4, 12, 8), 0);

        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), depthTest ? GL_TRUE : GL_FALSE);
        GLint framebuffer = -1;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebuffer);
        EXPECT_EQ(framebuffer, 0);
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], 64);
        EXPECT_EQ(viewport[3], 64);
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        GLfloat after[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        for (int i = 0; i < 16; ++i)
        {
            EXPECT_EQ(after[i], modelView[i]) << i;
        }
    }
    // An empty part draws nothing.
    Pass(target, source, [] { MivexGL::DrawFullScreenPart(0.5f, 0.0f, 0.5f, 1.0f); });
    EXPECT_EQ(Wrong(Read(target), 0, 0, 0, 0), 0);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDeleteTextures(1, &source);
}

} // namespace
