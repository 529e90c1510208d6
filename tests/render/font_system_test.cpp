// Glyph display lists on a real context: list ranges, outline geometry seen
// through feedback mode, glyph metrics, and text drawn with the Print calls.
#include "render/FontSystem.h"

#include "platform/OffscreenGL.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace MivexGL;

namespace
{

constexpr int kSize = 256;

// One feedback vertex: window x, y, z and, with colour, RGBA.
using FbVertex = std::array<float, 7>;
using FbPolygon = std::vector<FbVertex>;

class FontGL : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl.Create(kSize, kSize));
        glViewport(0, 0, kSize, kSize);
    }

    // Pixel coordinates, origin bottom-left.
    static void PixelView()
    {
        glViewport(0, 0, kSize, kSize);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kSize, 0, kSize, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    // Object x, y in [-1, 2] over 300 window units and z in [-1, 1], so that
    // x = wx / 100 - 1 and z = 1 - 2 wz.
    static std::vector<FbPolygon> Feedback(GLenum type, const std::function<void()>& draw)
    {
        glViewport(0, 0, 300, 300);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-1, 2, -1, 2, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        std::vector<GLfloat> buffer(1 << 20);
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), type, buffer.data());
        glRenderMode(GL_FEEDBACK);
        draw();
        const GLint used = glRenderMode(GL_RENDER);
        const int stride = type == GL_3D_COLOR ? 7 : 3;
        std::vector<FbPolygon> polygons;
        for (GLint i = 0; i < used;)
        {
            const GLint token = static_cast<GLint>(buffer[i++]);
            EXPECT_EQ(token, GL_POLYGON_TOKEN);
            const int n = static_cast<int>(buffer[i++]);
            FbPolygon polygon;
            for (int v = 0; v < n; ++v, i += stride)
            {
                FbVertex f{};
                std::copy(&buffer[i], &buffer[i] + stride, f.begin());
                f[0] = f[0] / 100.0f - 1.0f;
                f[1] = f[1] / 100.0f - 1.0f;
                f[2] = 1.0f - 2.0f * f[2];
                polygon.push_back(f);
            }
            polygons.push_back(polygon);
        }
        return polygons;
    }

    static int LitPixels()
    {
        std::vector<unsigned char> rgba(kSize * kSize * 4);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        int lit = 0;
        for (std::size_t i = 0; i < rgba.size(); i += 4)
        {
            lit += rgba[i] > 128 ? 1 : 0;
        }
        return lit;
    }

    static float RasterX()
    {
        GLfloat pos[4];
        glGetFloatv(GL_CURRENT_RASTER_POSITION, pos);
        return pos[0];
    }

    // Pen advance of one bitmap list, in pixels.
    static float BitmapAdvance(GLuint list)
    {
        PixelView();
        glRasterPos2f(10, 10);
        glCallList(list);
        return RasterX() - 10.0f;
    }

    platform::OffscreenGL gl;
};

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

float Area(const FbPolygon& p)
{
    float a = 0.0f;
    for (std::size_t i = 0; i < p.size(); ++i)
    {
        const FbVertex& u = p[i];
        const FbVertex& v = p[(i + 1) % p.size()];
        a += u[0] * v[1] - v[0] * u[1];
    }
    return a / 2.0f;
}

} // namespace

TEST_F(FontGL, NeverCreatedFontDeletesNoListsOfOthers)
{
    // Fresh names start at 1, where a delete from base 0 would reach.
    const GLuint others = glGenLists(300);
    for (GLuint i = 0; i < 300; ++i)
    {
        glNewList(others + i, GL_COMPILE);
        glEndList();
    }
    {
        cFontSystem font;
        EXPECT_EQ(font.GetBitmapBase(), 0u);
        EXPECT_EQ(font.GetOutlineBase(), 0u);
        font.PrintBitmap(0, 0, "nothing");
        font.PrintOutline("nothing");
    }
    EXPECT_TRUE(AllLists(others, 300));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FontGL, BitmapFontFillsNinetySixListsStartingWithSpace)
{
    cFontSystem font;
    font.CreateBitmapFont(u"", u"Arial", -16);
    const GLuint base = font.GetBitmapBase();
    ASSERT_NE(base, 0u);
    EXPECT_TRUE(AllLists(base, 96));
    EXPECT_FALSE(glIsList(base + 96));

    glClear(GL_COLOR_BUFFER_BIT);
    const float space = BitmapAdvance(base + 0);
    EXPECT_EQ(LitPixels(), 0);
    const float m = BitmapAdvance(base + ('M' - 32));
    EXPECT_GT(LitPixels(), 10);
    EXPECT_GT(space, 2.0f);
    EXPECT_GT(m, space);
    EXPECT_LT(m, 17.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FontGL, BitmapHeightFollowsTheSignConvention)
{
    cFontSystem em, big, cell;
    em.CreateBitmapFont(u"", u"DejaVu Sans", -16);
    big.CreateBitmapFont(u"", u"DejaVu Sans", -32);
    cell.CreateBitmapFont(u"", u"DejaVu Sans", 16);
    const float m16 = BitmapAdvance(em.GetBitmapBase() + 'M' - 32);
    const float m32 = BitmapAdvance(big.GetBitmapBase() + 'M' - 32);
    const float mCell = BitmapAdvance(cell.GetBitmapBase() + 'M' - 32);
    EXPECT_NEAR(m32, 2 * m16, 2.0f);
    EXPECT_LT(mCell, m16);
}

TEST_F(FontGL, MissingFontFileStillBuildsGlyphsThroughFallback)
{
    cFontSystem font;
    ::testing::internal::CaptureStderr();
    font.CreateOutlineFont(u"Data/General/not_there.ttf", u"Action Force Normal", -26);
    ASSERT_NE(font.GetOutlineBase(), 0u);
    EXPECT_GT(font.GetGlyphMetrics('M').gmfCellIncX, 0.3f);
    font.CreateBitmapFont(u"Data/General/not_there.ttf", u"Action Force Normal", -16);
    const std::string said = ::testing::internal::GetCapturedStderr();
    // The user hears of the missing file once, whatever is made from it.
    EXPECT_EQ(said, "font: Data/General/not_there.ttf: no such file; the face comes from the "
                    "installed fonts\n");
    ASSERT_NE(font.GetBitmapBase(), 0u);
    glClear(GL_COLOR_BUFFER_BIT);
    BitmapAdvance(font.GetBitmapBase() + 'A' - 32);
    EXPECT_GT(LitPixels(), 10);
}

TEST_F(FontGL, OutlineFontReservesTwoHundredFiftySixWithTheLastEmpty)
{
    cFontSystem font;
    font.CreateOutlineFont(u"", u"DejaVu Sans", -26);
    const GLuint base = font.GetOutlineBase();
    ASSERT_NE(base, 0u);
    EXPECT_TRUE(AllLists(base, 256));
    EXPECT_TRUE(Feedback(GL_3D, [&] { glCallList(base + 255); }).empty());
    EXPECT_FALSE(Feedback(GL_3D, [&] { glCallList(base + 'M'); }).empty());
    // The reserved list leaves the pen where it was, unlike a glyph.
    GLfloat after[16];
    glLoadIdentity();
    glCallList(base + 255);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(after[12], 0.0f);
    glCallList(base + 'M');
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_FLOAT_EQ(after[12], font.GetGlyphMetrics('M').gmfCellIncX);
}

TEST_F(FontGL, OutlineMetricsAreInEmUnits)
{
    cFontSystem font;
    font.CreateOutlineFont(u"", u"DejaVu Sans", -26);
    const platform::GLYPHMETRICSFLOAT& m = font.GetGlyphMetrics('M');
    const platform::GLYPHMETRICSFLOAT& space = font.GetGlyphMetrics(' ');
    const platform::GLYPHMETRICSFLOAT& dot = font.GetGlyphMetrics('.');
    EXPECT_GT(m.gmfCellIncX, 0.6f);
    EXPECT_LT(m.gmfCellIncX, 1.0f);
    EXPECT_GT(m.gmfCellIncX, space.gmfCellIncX);
    EXPECT_GT(space.gmfCellIncX, 0.2f);
    EXPECT_GT(m.gmfBlackBoxY, 0.6f);
    EXPECT_NEAR(m.gmfptGlyphOrigin.y, m.gmfBlackBoxY, 0.01f);
    EXPECT_LT(dot.gmfBlackBoxX, 0.25f);
    EXPECT_LT(dot.gmfBlackBoxY, 0.25f);
    EXPECT_FLOAT_EQ(font.GetOutlineWidth("MM "), 2 * m.gmfCellIncX + space.gmfCellIncX);
    // 255 has no list and keeps zero metrics.
    EXPECT_EQ(font.GetGlyphMetrics(255).gmfCellIncX, 0.0f);
}

class OutlineShape : public FontGL, public ::testing::WithParamInterface<const char16_t*>
{
};

TEST_P(OutlineShape, GlyphIsASolidEmHighSlabFacingOutwards)
{
    cFontSystem font;
    font.CreateOutlineFont(u"", GetParam(), -26);
    const GLuint base = font.GetOutlineBase();
    ASSERT_NE(base, 0u);

    // Geometry lies within the em and between the two faces.
    const auto polygons = Feedback(GL_3D, [&] { glCallList(base + 'O'); });
    ASSERT_FALSE(polygons.empty());
    float lo[3] = {9, 9, 9}, hi[3] = {-9, -9, -9};
    float frontArea = 0.0f;
    for (const FbPolygon& p : polygons)
    {
        bool front = true;
        for (const FbVertex& v : p)
        {
            for (int k = 0; k < 3; ++k)
            {
                lo[k] = std::min(lo[k], v[k]);
                hi[k] = std::max(hi[k], v[k]);
            }
            front &= std::abs(v[2]) < 1e-3f;
        }
        frontArea += front ? std::abs(Area(p)) : 0.0f;
    }
    EXPECT_GT(lo[0], -0.05f);
    EXPECT_LT(hi[0], 1.05f);
    EXPECT_GT(lo[1], -0.1f);
    EXPECT_LT(hi[1], 1.05f);
    EXPECT_NEAR(lo[2], -0.2f, 1e-3f);
    EXPECT_NEAR(hi[2], 0.0f, 1e-3f);
    // The counter of the O stays open: the ink is a ring, not a disc.
    const float box = (hi[0] - lo[0]) * (hi[1] - lo[1]);
    EXPECT_GT(frontArea, 0.2f * box);
    EXPECT_LT(frontArea, 0.7f * box);

    // With back faces culled, only the front face (and walls) survive.
    glEnable(GL_CULL_FACE);
    const auto culled = Feedback(GL_3D, [&] { glCallList(base + 'O'); });
    glDisable(GL_CULL_FACE);
    float keptFront = 0.0f;
    for (const FbPolygon& p : culled)
    {
        EXPECT_FALSE(std::all_of(p.begin(), p.end(),
                                 [](const FbVertex& v) { return std::abs(v[2] + 0.2f) < 1e-3f; }));
        if (std::all_of(p.begin(), p.end(),
                        [](const FbVertex& v) { return std::abs(v[2]) < 1e-3f; }))
        {
            keptFront += std::abs(Area(p));
        }
    }
    EXPECT_GT(keptFront, 0.0f);

    // Turned a quarter about y, the I shows its right wall to the viewer
    // (its left wall faces away), and the light shines from the viewer.
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const auto lit = Feedback(GL_3D_COLOR,
                              [&]
                              {
                                  const GLfloat fromViewer[4] = {0, 0, 1, 0};
                                  glLightfv(GL_LIGHT0, GL_POSITION, fromViewer);
                                  glRotatef(-90, 0, 1, 0);
                                  glCallList(base + 'I');
                              });
    glDisable(GL_LIGHTING);
    // Eye z is now the glyph's x.
    float minX = 9, maxX = -9;
    for (const FbPolygon& p : lit)
    {
        for (const FbVertex& v : p)
        {
            minX = std::min(minX, v[2]);
            maxX = std::max(maxX, v[2]);
        }
    }
    int right = 0, left = 0;
    for (const FbPolygon& p : lit)
    {
        auto at = [&](float x)
        {
            return std::all_of(p.begin(), p.end(),
                               [&](const FbVertex& v) { return std::abs(v[2] - x) < 2e-3f; });
        };
        if (at(maxX))
        {
            ++right;
            EXPECT_GT(p[0][3], 0.5f);
        }
        if (at(minX))
        {
            ++left;
            EXPECT_LT(p[0][3], 0.2f);
        }
    }
    EXPECT_GT(right, 0);
    EXPECT_GT(left, 0);
}

INSTANTIATE_TEST_SUITE_P(TrueTypeAndPostScript, OutlineShape,
                         ::testing::Values(u"DejaVu Sans", u"Nimbus Sans"));

TEST_F(FontGL, PrintDrawsTextAndRestoresState)
{
    cFontSystem font;
    font.CreateBitmapFont(u"", u"Arial", -16);
    font.CreateOutlineFont(u"", u"Arial", -26);
    PixelView();
    glListBase(7);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    font.PrintBitmap(10, 100, "Hello");
    const int bitmapInk = LitPixels();
    EXPECT_GT(bitmapInk, 40);
    // Codes beyond the 96 lists draw nothing rather than other fonts' lists.
    glClear(GL_COLOR_BUFFER_BIT);
    font.PrintBitmap(10, 100, "\xE9\x80\x1F");
    EXPECT_EQ(LitPixels(), 0);

    glClear(GL_COLOR_BUFFER_BIT);
    glTranslatef(10, 100, 0);
    glScalef(40, 40, 1);
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    font.PrintOutline("Hi");
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_GT(LitPixels(), 200);
    EXPECT_TRUE(std::equal(before, before + 16, after));
    GLint listBase = 0;
    glGetIntegerv(GL_LIST_BASE, &listBase);
    EXPECT_EQ(listBase, 7);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(FontGL, OutlineTextAdvancesGlyphByGlyph)
{
    cFontSystem font;
    font.CreateOutlineFont(u"", u"DejaVu Sans", -26);
    const platform::GLYPHMETRICSFLOAT& dot = font.GetGlyphMetrics('.');
    float maxX = -9;
    for (const FbPolygon& p : Feedback(GL_3D, [&] { font.PrintOutline(".."); }))
    {
        for (const FbVertex& v : p)
        {
            maxX = std::max(maxX, v[0]);
        }
    }
    EXPECT_NEAR(maxX, dot.gmfCellIncX + dot.gmfptGlyphOrigin.x + dot.gmfBlackBoxX, 0.01f);
}

TEST_F(FontGL, RecreatingReplacesTheEarlierLists)
{
    cFontSystem font;
    font.CreateBitmapFont(u"", u"DejaVu Sans", -16);
    const GLuint first = font.GetBitmapBase();
    font.CreateBitmapFont(u"", u"DejaVu Sans", -24);
    const GLuint second = font.GetBitmapBase();
    ASSERT_NE(second, 0u);
    for (GLuint i = first; i < first + 96; ++i)
    {
        if (i < second || i >= second + 96)
        {
            EXPECT_FALSE(glIsList(i)) << i;
        }
    }
}

TEST_F(FontGL, DestroyingWithoutAContextDoesNotCrash)
{
    auto font = std::make_unique<cFontSystem>();
    font->CreateBitmapFont(u"", u"DejaVu Sans", -16);
    font->CreateOutlineFont(u"", u"DejaVu Sans", -16);
    ASSERT_NE(font->GetOutlineBase(), 0u);
    gl.Destroy();
    font.reset();
    cFontSystem late;
    late.CreateBitmapFont(u"", u"DejaVu Sans", -16);
    EXPECT_EQ(late.GetBitmapBase(), 0u);
}

TEST_F(FontGL, WithoutAnyFaceBasesStayZeroAndOneLineSaysSo)
{
    // An empty font configuration: nothing installed, nothing to fall back on.
    FcConfig* installed = FcConfigReference(nullptr);
    FcConfig* empty = FcConfigCreate();
    FcConfigSetCurrent(empty);
    cFontSystem font;
    ::testing::internal::CaptureStderr();
    font.CreateBitmapFont(u"", u"Arial", -16);
    const std::string said = ::testing::internal::GetCapturedStderr();
    FcConfigSetCurrent(installed);
    FcConfigDestroy(installed);
    FcConfigDestroy(empty);
    EXPECT_EQ(font.GetBitmapBase(), 0u);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
    EXPECT_EQ(said.rfind("font: Arial: ", 0), 0u) << said;
    // With the fonts back, creation works again.
    font.CreateBitmapFont(u"", u"Arial", -16);
    EXPECT_NE(font.GetBitmapBase(), 0u);
}

TEST_F(FontGL, WideCallsTakeCodePointsAndASelectedFontOutlivesDelete)
{
    using namespace platform;
    const HFONT font =
        CreateFontW(-26, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS,
                    CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, u"DejaVu Sans");
    const HGDIOBJ previous = SelectObject(nullptr, font);
    ASSERT_NE(previous, nullptr);
    // Still selected: deleting it now would leave the context a dangling font.
    EXPECT_FALSE(DeleteObject(font));

    // 0x80 is a control character to the wide calls, drawn with the missing
    // glyph like 0x01, not the code page's euro sign.
    const GLuint base = glGenLists(3);
    GLYPHMETRICSFLOAT m[3] = {};
    const DWORD codes[3] = {0x20AC, 0x80, 0x01};
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_TRUE(wglUseFontOutlinesW(nullptr, codes[i], 1, base + i, 0.0f, 0.2f,
                                        WGL_FONT_POLYGONS, &m[i]));
    }
    EXPECT_GT(m[0].gmfBlackBoxX, 0.3f);
    EXPECT_EQ(m[1].gmfBlackBoxX, m[2].gmfBlackBoxX);
    EXPECT_EQ(m[1].gmfCellIncX, m[2].gmfCellIncX);
    EXPECT_NE(m[0].gmfBlackBoxX, m[1].gmfBlackBoxX);
    glDeleteLists(base, 3);

    EXPECT_EQ(SelectObject(nullptr, previous), font);
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(font));
}
