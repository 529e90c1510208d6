// The font calls over FontFace: logical fonts and their selection into
// device contexts kept as records here, bitmap glyphs compiled with
// glBitmap, outline glyphs filled with the GLU tessellator and extruded into
// solid models.
#include "platform/Fonts.h"

#include "platform/posix/FontFace.h"
#include "platform/GL.h"
#include "platform/GLProc.h"

#include <array>
#include <cmath>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace platform
{

struct FontRecord
{
    std::u16string faceName;
    int height = 0;
};

namespace
{

struct FontTable
{
    std::set<HGDIOBJ> live;
    // What each device context has selected; a context not listed has the
    // stock font.
    std::map<HDC, HFONT> selected;
    // Stands for the system font every context starts with.
    FontRecord stock;

    FontTable() = default;
    FontTable(const FontTable&) = delete;
    FontTable& operator=(const FontTable&) = delete;
    // Fonts still selected at exit (outline fonts stay so) go with the table.
    ~FontTable()
    {
        for (HGDIOBJ font : live)
        {
            delete static_cast<HFONT>(font);
        }
    }
};

FontTable& Table()
{
    static FontTable table;
    return table;
}

HFONT Selected(HDC dc)
{
    FontTable& table = Table();
    const auto it = table.selected.find(dc);
    return it != table.selected.end() ? it->second : &table.stock;
}

bool IsFont(HGDIOBJ object)
{
    return object != nullptr && (object == &Table().stock || Table().live.count(object) != 0);
}

// Opens the face a context's selected font names; says so on standard error
// when no face at all can be had.
bool OpenSelected(HDC dc, FontFace& face)
{
    const FontRecord* font = Selected(dc);
    return face.Open(font->faceName.c_str(), font->height);
}

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

struct TessDeleter
{
    void operator()(GLUtesselator* tess) const { gluDeleteTess(tess); }
};

// The filled area of a glyph as counter-clockwise triangles in the z = 0 plane.
std::vector<Vertex> Fill(GLUtesselator* tess, const GlyphOutline& glyph)
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
        for (const OutlinePoint& p : contour)
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
// facing out of the ink. Everything is one triangle batch: llvmpipe loses
// (or crashes on) quads that follow triangles in a display list.
void CompileSolid(GLUtesselator* tess, const GlyphOutline& glyph, float depth)
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
            const OutlinePoint& a = contour[i];
            const OutlinePoint& b = contour[(i + 1) % contour.size()];
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
}

void CompileLines(const GlyphOutline& glyph)
{
    for (const auto& contour : glyph.contours)
    {
        glBegin(GL_LINE_LOOP);
        for (const OutlinePoint& p : contour)
        {
            glVertex3d(p.x, p.y, 0.0);
        }
        glEnd();
    }
}

} // namespace

HFONT CreateFontW(int height, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                  DWORD, const char16_t* faceName)
{
    // Only the face and the size choose a face here; the rest is what the
    // font mapper would weigh.
    auto* font = new FontRecord;
    font->faceName = faceName != nullptr ? faceName : u"";
    font->height = height;
    Table().live.insert(font);
    return font;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    if (!IsFont(object))
    {
        return nullptr;
    }
    HFONT previous = Selected(dc);
    Table().selected[dc] = static_cast<HFONT>(object);
    return previous;
}

BOOL DeleteObject(HGDIOBJ object)
{
    FontTable& table = Table();
    if (object == &table.stock)
    {
        // Stock objects survive deletion.
        return TRUE;
    }
    if (table.live.count(object) == 0)
    {
        return FALSE;
    }
    for (const auto& entry : table.selected)
    {
        if (entry.second == object)
        {
            return FALSE;
        }
    }
    table.live.erase(object);
    delete static_cast<HFONT>(object);
    return TRUE;
}

BOOL wglUseFontBitmapsW(HDC dc, DWORD first, DWORD count, DWORD listBase)
{
    FontFace face;
    if (CurrentGLVersion() == 0 || !OpenSelected(dc, face))
    {
        return FALSE;
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
    for (DWORD i = 0; i < count; ++i)
    {
        GlyphBitmap glyph;
        face.GetCharacterBitmap(first + i, glyph);
        glNewList(listBase + i, GL_COMPILE);
        glBitmap(glyph.width, glyph.height, glyph.xOrigin, glyph.yOrigin, glyph.xAdvance,
                 glyph.yAdvance, glyph.bits.empty() ? nullptr : glyph.bits.data());
        glEndList();
    }
    glPopClientAttrib();
    return TRUE;
}

BOOL wglUseFontOutlinesW(HDC dc, DWORD first, DWORD count, DWORD listBase, float deviation,
                         float extrusion, int format, GLYPHMETRICSFLOAT* metrics)
{
    if (format != WGL_FONT_POLYGONS && format != WGL_FONT_LINES)
    {
        return FALSE;
    }
    FontFace face;
    if (CurrentGLVersion() == 0 || !OpenSelected(dc, face))
    {
        return FALSE;
    }
    const std::unique_ptr<GLUtesselator, TessDeleter> tess(gluNewTess());
    if (tess == nullptr)
    {
        return FALSE;
    }
    gluTessCallback(tess.get(), GLU_TESS_BEGIN_DATA, Callback(TessBegin));
    gluTessCallback(tess.get(), GLU_TESS_VERTEX_DATA, Callback(TessVertex));
    gluTessCallback(tess.get(), GLU_TESS_EDGE_FLAG_DATA, Callback(TessEdgeFlag));
    gluTessCallback(tess.get(), GLU_TESS_COMBINE_DATA, Callback(TessCombine));
    gluTessCallback(tess.get(), GLU_TESS_ERROR_DATA, Callback(TessError));
    gluTessNormal(tess.get(), 0.0, 0.0, 1.0);
    for (DWORD i = 0; i < count; ++i)
    {
        GlyphOutline glyph;
        face.GetCharacterOutline(first + i, deviation, glyph);
        if (metrics != nullptr)
        {
            metrics[i] = glyph.metrics;
        }
        glNewList(listBase + i, GL_COMPILE);
        if (format == WGL_FONT_POLYGONS)
        {
            CompileSolid(tess.get(), glyph, extrusion);
        }
        else
        {
            CompileLines(glyph);
        }
        glTranslatef(glyph.metrics.gmfCellIncX, glyph.metrics.gmfCellIncY, 0.0f);
        glEndList();
    }
    return TRUE;
}

} // namespace platform
