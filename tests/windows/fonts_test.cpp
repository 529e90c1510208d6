// Glyph display lists made by the system's own font calls: the list layout
// the text drawing relies on (bitmaps for 32..127 from the base, outlines
// for 0..254 with the 256th reserved list empty) and solid glyphs one em
// high. Needs a hidden window with a GL context; lists are read back
// through feedback mode and the raster position.
#include "platform/OffscreenGL.h"
#include "render/FontSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

using namespace MivexGL;

namespace
{

class SystemFonts : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(gl.Create(64, 64)); }

    // Vertices (x, y, z in object units) of everything drawn, through
    // feedback mode: object x, y in [-1, 2], z in [-1, 1].
    static std::vector<float> Feedback(const std::function<void()>& draw)
    {
        glViewport(0, 0, 300, 300);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-1, 2, -1, 2, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        std::vector<GLfloat> buffer(1 << 20);
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
        glRenderMode(GL_FEEDBACK);
        draw();
        const GLint used = glRenderMode(GL_RENDER);
        std::vector<float> vertices;
        for (GLint i = 0; i < used;)
        {
            EXPECT_EQ(static_cast<GLint>(buffer[i++]), GL_POLYGON_TOKEN);
            const int n = static_cast<int>(buffer[i++]);
            for (int v = 0; v < n; ++v, i += 3)
            {
                vertices.push_back(buffer[i] / 100.0f - 1.0f);
                vertices.push_back(buffer[i + 1] / 100.0f - 1.0f);
                vertices.push_back(1.0f - 2.0f * buffer[i + 2]);
            }
        }
        return vertices;
    }

    // Pen advance of one bitmap list, in pixels.
    static float Advance(GLuint list)
    {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 64, 0, 64, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRasterPos2f(10, 10);
        glCallList(list);
        GLfloat position[4];
        glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
        return position[0] - 10.0f;
    }

    platform::OffscreenGL gl;
};

// Under Wine the space's bitmap list has no advance, and a called outline
// list is flat, lacks its advance and stalls the GL calls after it; the
// system itself does none of that, so those checks run only there.
bool UnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool AllLists(GLuint base, int count)
{
    for (int i = 0; i < count; ++i)
    {
        if (!glIsList(base + i))
        {
            return false;
        }
    }
    return true;
}

} // namespace

TEST_F(SystemFonts, BitmapListsRunFromSpaceToCode127)
{
    cFontSystem font;
    font.CreateBitmapFont(u"", u"Tahoma", -16);
    const GLuint base = font.GetBitmapBase();
    ASSERT_NE(base, 0u);
    EXPECT_TRUE(AllLists(base, 96));
    EXPECT_FALSE(glIsList(base + 96));
    const float m = Advance(base + 'M' - 32);
    EXPECT_GT(m, Advance(base + '.' - 32));
    EXPECT_GT(m, 6.0f);
    EXPECT_LT(m, 17.0f);
    if (!UnderWine())
    {
        EXPECT_GT(Advance(base), 2.0f);
    }
}

TEST_F(SystemFonts, OutlineListsFillCodesUpTo254AndLeaveTheLastEmpty)
{
    cFontSystem font;
    font.CreateOutlineFont(u"", u"Tahoma", -26);
    const GLuint base = font.GetOutlineBase();
    ASSERT_NE(base, 0u);
    EXPECT_TRUE(AllLists(base, 256));
    EXPECT_TRUE(Feedback([&] { glCallList(base + 255); }).empty());
    EXPECT_EQ(font.GetGlyphMetrics(255).gmfCellIncX, 0.0f);

    const platform::GLYPHMETRICSFLOAT& metrics = font.GetGlyphMetrics('M');
    EXPECT_GT(metrics.gmfCellIncX, 0.4f);
    EXPECT_LT(metrics.gmfCellIncX, 1.2f);
    EXPECT_GT(metrics.gmfBlackBoxY, 0.5f);
    if (UnderWine())
    {
        return;
    }

    // A solid glyph one em high, its back face 0.2 behind the front.
    const std::vector<float> m = Feedback([&] { glCallList(base + 'M'); });
    ASSERT_FALSE(m.empty());
    float lo[3] = {9, 9, 9}, hi[3] = {-9, -9, -9};
    for (std::size_t i = 0; i < m.size(); ++i)
    {
        lo[i % 3] = std::min(lo[i % 3], m[i]);
        hi[i % 3] = std::max(hi[i % 3], m[i]);
    }
    EXPECT_GT(lo[0], -0.05f);
    EXPECT_LT(hi[0], 1.05f);
    EXPECT_GT(hi[1], 0.5f);
    EXPECT_LT(hi[1], 1.05f);
    EXPECT_NEAR(lo[2], -0.2f, 1e-3f);
    EXPECT_NEAR(hi[2], 0.0f, 1e-3f);
    // The list ends with the advance the metrics give.
    GLfloat after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_NEAR(after[12], metrics.gmfCellIncX, 1e-4f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SystemFonts, MissingFontFileFallsBackAndNeverCreatedDeletesNothing)
{
    const GLuint others = glGenLists(300);
    {
        cFontSystem unused;
        cFontSystem font;
        font.CreateBitmapFont(u"Data/General/not_there.ttf", u"Action Force Normal", -16);
        EXPECT_NE(font.GetBitmapBase(), 0u);
    }
    EXPECT_TRUE(AllLists(others, 300));
}
