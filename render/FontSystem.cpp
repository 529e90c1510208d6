// Glyph display lists: FreeType images through glBitmap, FreeType outlines
// filled with the GLU tessellator and extruded into solid glyphs.
#include "render/FontSystem.h"

#include "platform/GLProc.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace MivexGL
{

namespace
{

using Vertex = std::array<GLdouble, 3>;

// Triangles out of the tessellator, three vertices each.
struct Tessellation
{
    std::vector<Vertex> triangles;
    // Intersection points made by the tessellator; a deque keeps their
    // addresses fixed while it still refers to them.
    std::deque<Vertex> extra;
    bool failed = false;
};

void GLAPIENTRY TessBegin(GLenum, void*) {}

void GLAPIENTRY TessVertex(void* vertex, void* data)
{
    static_cast<Tessellation*>(data)->triangles.push_back(*static_cast<const Vertex*>(vertex));
}

// Registered only so that the tessellator hands out plain triangles.
void GLAPIENTRY TessEdgeFlag(GLboolean, void*) {}

void GLAPIENTRY TessCombine(GLdouble coords[3], void* neighbours[4], GLfloat weights[4], void** out,
                            void* data)
{
    Tessellation* t = static_cast<Tessellation*>(data);
    t->extra.push_back({coords[0], coords[1], coords[2]});
    *out = t->extra.back().data();
}

void GLAPIENTRY TessError(GLenum, void* data)
{
    static_cast<Tessellation*>(data)->failed = true;
}

template <typename F> _GLUfuncptr Callback(F* f)
{
    return reinterpret_cast<_GLUfuncptr>(f);
}

// The filled area of a glyph as counter-clockwise triangles in the z = 0 plane.
std::vector<Vertex> Fill(GLUtesselator* tess, const platform::GlyphOutline& glyph)
{
    std::vector<Vertex> points;
    std::size_t total = 0;
    for (const auto& contour : glyph.contours)
    {
        total += contour.size();
    }
    // The tessellator keeps pointers into this until the polygon ends.
    points.reserve(total);
    Tessellation result;
    gluTessProperty(tess, GLU_TESS_WINDING_RULE,
                    glyph.evenOdd ? GLU_TESS_WINDING_ODD : GLU_TESS_WINDING_NONZERO);
    gluTessBeginPolygon(tess, &result);
    for (const auto& contour : glyph.contours)
    {
        gluTessBeginContour(tess);
        for (const platform::OutlinePoint& p : contour)
        {
            points.push_back({p.x, p.y, 0.0});
            gluTessVertex(tess, points.back().data(), points.back().data());
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    if (result.failed)
    {
        return {};
    }
    std::vector<Vertex>& tri = result.triangles;
    tri.resize(tri.size() - tri.size() % 3);
    for (std::size_t i = 0; i < tri.size(); i += 3)
    {
        const double cross = (tri[i + 1][0] - tri[i][0]) * (tri[i + 2][1] - tri[i][1]) -
                             (tri[i + 1][1] - tri[i][1]) * (tri[i + 2][0] - tri[i][0]);
        if (cross < 0.0)
        {
            std::swap(tri[i + 1], tri[i + 2]);
        }
    }
    return std::move(tri);
}

// Front face at z = 0, back face at z = -depth, walls along every contour
// facing out of the ink, then the pen advance. Everything is one triangle
// batch: llvmpipe loses (or crashes on) quads that follow triangles in a
// display list.
void CompileOutline(GLUtesselator* tess, const platform::GlyphOutline& glyph, float depth)
{
    const std::vector<Vertex> triangles = Fill(tess, glyph);
    glBegin(GL_TRIANGLES);
    glNormal3f(0.0f, 0.0f, 1.0f);
    for (const Vertex& v : triangles)
    {
        glVertex3d(v[0], v[1], 0.0);
    }
    glNormal3f(0.0f, 0.0f, -1.0f);
    for (std::size_t i = 0; i < triangles.size(); i += 3)
    {
        // Reversed, so the back face winds counter-clockwise seen from behind.
        for (std::size_t k = 3; k-- > 0;)
        {
            glVertex3d(triangles[i + k][0], triangles[i + k][1], -depth);
        }
    }

    // The ink lies right of a clockwise-filled contour and left of the other kind.
    const double side = glyph.clockwiseFill ? 1.0 : -1.0;
    for (const auto& contour : glyph.contours)
    {
        for (std::size_t i = 0; i < contour.size(); ++i)
        {
            const platform::OutlinePoint& a = contour[i];
            const platform::OutlinePoint& b = contour[(i + 1) % contour.size()];
            const double dx = b.x - a.x, dy = b.y - a.y;
            const double length = std::sqrt(dx * dx + dy * dy);
            if (length <= 0.0)
            {
                continue;
            }
            glNormal3d(-dy / length * side, dx / length * side, 0.0);
            // Corners front-a, front-b, back-b, back-a wind counter-clockwise
            // seen from outside when the ink lies to the right.
            const Vertex quad[4] = {
                {a.x, a.y, 0.0}, {b.x, b.y, 0.0}, {b.x, b.y, -depth}, {a.x, a.y, -depth}};
            const int order[2][6] = {{0, 1, 2, 0, 2, 3}, {0, 3, 2, 0, 2, 1}};
            for (int k : order[glyph.clockwiseFill ? 0 : 1])
            {
                glVertex3dv(quad[k].data());
            }
        }
    }
    glEnd();
    glTranslatef(glyph.metrics.gmfCellIncX, glyph.metrics.gmfCellIncY, 0.0f);
}

// GL calls need a current context; without one (process exit) they are skipped.
bool HaveContext()
{
    return platform::CurrentGLVersion() != 0;
}

} // namespace

cFontSystem::cFontSystem()
    : glyphMetrics(), bitmapBase(0), outlineBase(0), hDC(nullptr), hWnd(nullptr)
{
    position.Set(0.0f, 0.0f, 0.0f);
}

cFontSystem::~cFontSystem()
{
    DeleteLists();
}

void cFontSystem::DeleteLists()
{
    if (!HaveContext())
    {
        return;
    }
    if (bitmapBase != 0)
    {
        glDeleteLists(bitmapBase, kBitmapCount);
        bitmapBase = 0;
    }
    if (outlineBase != 0)
    {
        glDeleteLists(outlineBase, kOutlineLists);
        outlineBase = 0;
    }
}

void cFontSystem::AddPrivateFont(const char16_t* fontFile)
{
    if (platform::AddFontResourceExW(fontFile, platform::FR_PRIVATE, nullptr) != 0 ||
        fontFile == nullptr)
    {
        return;
    }
    // Said once a file: every font made from it falls back the same way.
    static std::set<std::string> reported;
    const std::string name = platform::Utf16ToUtf8(fontFile);
    // No file named: the installed fonts are all that was asked for.
    if (name.empty() || !reported.insert(name).second)
    {
        return;
    }
    struct stat info;
    const bool exists = ::stat(platform::ResolvePath(name).c_str(), &info) == 0;
    std::fprintf(stderr, "font: %s: %s; the face comes from the installed fonts\n", name.c_str(),
                 exists ? "not a usable font file" : "no such file");
}

void cFontSystem::CreateBitmapFont(const char16_t* fontFile, const char16_t* faceName, int height)
{
    // An empty or missing file fails here and the face comes from the installed fonts.
    AddPrivateFont(fontFile);
    if (!HaveContext())
    {
        return;
    }
    // A second creation replaces the earlier lists instead of leaking them.
    if (bitmapBase != 0)
    {
        glDeleteLists(bitmapBase, kBitmapCount);
        bitmapBase = 0;
    }
    const GLuint base = glGenLists(kBitmapCount);
    if (base == 0)
    {
        return;
    }
    platform::FontFace face;
    if (!face.Open(faceName, height))
    {
        glDeleteLists(base, kBitmapCount);
        return;
    }
    // glBitmap copies the image at compile time under the unpack state: rows
    // here are byte-padded and most significant bit first.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    for (int i = 0; i < kBitmapCount; ++i)
    {
        platform::GlyphBitmap glyph;
        face.GetBitmap(static_cast<unsigned char>(kBitmapFirst + i), glyph);
        glNewList(base + i, GL_COMPILE);
        glBitmap(glyph.width, glyph.height, glyph.xOrigin, glyph.yOrigin, glyph.xAdvance,
                 glyph.yAdvance, glyph.bits.empty() ? nullptr : glyph.bits.data());
        glEndList();
    }
    glPopClientAttrib();
    bitmapBase = base;
}

void cFontSystem::CreateOutlineFont(const char16_t* fontFile, const char16_t* faceName, int height)
{
    AddPrivateFont(fontFile);
    if (!HaveContext())
    {
        return;
    }
    if (outlineBase != 0)
    {
        glDeleteLists(outlineBase, kOutlineLists);
        outlineBase = 0;
    }
    std::memset(glyphMetrics, 0, sizeof(glyphMetrics));
    const GLuint base = glGenLists(kOutlineLists);
    if (base == 0)
    {
        return;
    }
    platform::FontFace face;
    GLUtesselator* tess = gluNewTess();
    if (tess == nullptr || !face.Open(faceName, height))
    {
        if (tess != nullptr)
        {
            gluDeleteTess(tess);
        }
        glDeleteLists(base, kOutlineLists);
        return;
    }
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, Callback(TessBegin));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, Callback(TessVertex));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, Callback(TessEdgeFlag));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, Callback(TessCombine));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, Callback(TessError));
    gluTessNormal(tess, 0.0, 0.0, 1.0);
    for (int c = 0; c < kOutlineBuilt; ++c)
    {
        platform::GlyphOutline glyph;
        // Zero deviation: the face's default flattening.
        face.GetOutline(static_cast<unsigned char>(c), 0.0, glyph);
        glyphMetrics[c] = glyph.metrics;
        glNewList(base + c, GL_COMPILE);
        CompileOutline(tess, glyph, kExtrusion);
        glEndList();
    }
    // The last reserved list exists but draws nothing.
    glNewList(base + kOutlineBuilt, GL_COMPILE);
    glEndList();
    gluDeleteTess(tess);
    outlineBase = base;
}

void cFontSystem::PrintBitmap(float x, float y, const char* text) const
{
    if (bitmapBase == 0 || text == nullptr || !HaveContext())
    {
        return;
    }
    // Other codes would reach past the 96 lists into someone else's.
    std::vector<GLubyte> offsets;
    for (const char* p = text; *p != 0; ++p)
    {
        const int c = static_cast<unsigned char>(*p);
        if (c >= kBitmapFirst && c < kBitmapFirst + kBitmapCount)
        {
            offsets.push_back(static_cast<GLubyte>(c - kBitmapFirst));
        }
    }
    if (offsets.empty())
    {
        return;
    }
    glPushAttrib(GL_LIST_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT);
    // The raster colour is taken from the current colour, not lit or textured.
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glRasterPos2f(x, y);
    glListBase(bitmapBase);
    glCallLists(static_cast<GLsizei>(offsets.size()), GL_UNSIGNED_BYTE, offsets.data());
    glPopAttrib();
}

void cFontSystem::PrintOutline(const char* text) const
{
    if (outlineBase == 0 || text == nullptr || *text == 0 || !HaveContext())
    {
        return;
    }
    glPushAttrib(GL_LIST_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glListBase(outlineBase);
    glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
    glPopMatrix();
    glPopAttrib();
}

float cFontSystem::GetOutlineWidth(const char* text) const
{
    float width = 0.0f;
    for (const char* p = text; p != nullptr && *p != 0; ++p)
    {
        width += glyphMetrics[static_cast<unsigned char>(*p)].gmfCellIncX;
    }
    return width;
}

} // namespace MivexGL
