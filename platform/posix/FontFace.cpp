// Font faces over fontconfig (lookup, process-private registration) and
// FreeType (glyph images and outlines).
#include "platform/posix/FontFace.h"

#include "platform/Paths.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace platform
{

namespace
{

// One FreeType library for the process, made at first use.
FT_Library Library()
{
    struct Holder
    {
        FT_Library library = nullptr;
        Holder()
        {
            if (FT_Init_FreeType(&library) != 0)
            {
                library = nullptr;
            }
        }
        ~Holder()
        {
            if (library != nullptr)
            {
                FT_Done_FreeType(library);
            }
        }
    };
    static Holder holder;
    return holder.library;
}

// The code page's assignments for 0x80..0x9F; the unassigned slots keep
// their own value, as the window system's conversion does.
constexpr std::uint16_t kAnsiHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Cell height for a zero font height, as a default-sized system font.
constexpr int kDefaultCellHeight = 16;

// Curve flattening tolerance when the caller leaves it open, in em units.
constexpr double kDefaultDeviation = 0.005;

// Upper bound of line segments per curve piece, against absurd control points.
constexpr int kMaxCurveSegments = 64;

struct Flattener
{
    std::vector<std::vector<OutlinePoint>>* contours;
    double tolerance;
    double scale;
    OutlinePoint last;

    void Add(double x, double y)
    {
        contours->back().push_back({x * scale, y * scale});
        last = {x, y};
    }
};

Flattener& Of(void* user)
{
    return *static_cast<Flattener*>(user);
}

int MoveTo(const FT_Vector* to, void* user)
{
    Flattener& f = Of(user);
    f.contours->emplace_back();
    f.Add(to->x, to->y);
    return 0;
}

int LineTo(const FT_Vector* to, void* user)
{
    Of(user).Add(to->x, to->y);
    return 0;
}

int Segments(double bend, double factor, double tolerance)
{
    const double n = std::ceil(std::sqrt(bend * factor / tolerance));
    return std::clamp(static_cast<int>(n), 1, kMaxCurveSegments);
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user)
{
    Flattener& f = Of(user);
    const OutlinePoint p0 = f.last;
    const double cx = control->x, cy = control->y, x1 = to->x, y1 = to->y;
    // A quadratic strays from its chord by a quarter of this second difference.
    const double bend = std::hypot(p0.x - 2 * cx + x1, p0.y - 2 * cy + y1);
    const int n = Segments(bend, 0.25, f.tolerance);
    for (int i = 1; i <= n; ++i)
    {
        const double t = static_cast<double>(i) / n, u = 1.0 - t;
        f.Add(u * u * p0.x + 2 * u * t * cx + t * t * x1,
              u * u * p0.y + 2 * u * t * cy + t * t * y1);
    }
    return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user)
{
    Flattener& f = Of(user);
    const OutlinePoint p0 = f.last;
    const double ax = c1->x, ay = c1->y, bx = c2->x, by = c2->y, x1 = to->x, y1 = to->y;
    const double bend = std::max(std::hypot(p0.x - 2 * ax + bx, p0.y - 2 * ay + by),
                                 std::hypot(ax - 2 * bx + x1, ay - 2 * by + y1));
    const int n = Segments(bend, 0.75, f.tolerance);
    for (int i = 1; i <= n; ++i)
    {
        const double t = static_cast<double>(i) / n, u = 1.0 - t;
        const double w0 = u * u * u, w1 = 3 * u * u * t, w2 = 3 * u * t * t, w3 = t * t * t;
        f.Add(w0 * p0.x + w1 * ax + w2 * bx + w3 * x1, w0 * p0.y + w1 * ay + w2 * by + w3 * y1);
    }
    return 0;
}

// Drops repeated points and the closing repeat of the first point, and
// contours that enclose nothing.
void Tidy(std::vector<std::vector<OutlinePoint>>& contours)
{
    std::vector<std::vector<OutlinePoint>> kept;
    for (auto& contour : contours)
    {
        std::vector<OutlinePoint> points;
        for (const OutlinePoint& p : contour)
        {
            if (points.empty() || p.x != points.back().x || p.y != points.back().y)
            {
                points.push_back(p);
            }
        }
        while (points.size() > 1 && points.back().x == points.front().x &&
               points.back().y == points.front().y)
        {
            points.pop_back();
        }
        if (points.size() >= 3)
        {
            kept.push_back(std::move(points));
        }
    }
    contours.swap(kept);
}

} // namespace

std::uint32_t AnsiToUnicode(unsigned char code)
{
    if (code >= 0x80 && code <= 0x9F)
    {
        return kAnsiHigh[code - 0x80];
    }
    return code;
}

int AddFontResourceExW(const char16_t* fileName, DWORD flags, void* reserved)
{
    // Registrations are always private here: fontconfig's application fonts
    // belong to this process.
    (void)flags;
    (void)reserved;
    const std::string name = Utf16ToUtf8(fileName);
    if (name.empty())
    {
        return 0;
    }
    const std::string path = ResolvePath(name);
    FT_Library library = Library();
    FT_Face probe = nullptr;
    if (library == nullptr || FT_New_Face(library, path.c_str(), -1, &probe) != 0)
    {
        return 0;
    }
    const int faces = static_cast<int>(probe->num_faces);
    FT_Done_Face(probe);
    // Adding the same file twice would list its faces twice in every match.
    static std::set<std::string> registered;
    if (registered.count(path) == 0)
    {
        const FcChar8* file = reinterpret_cast<const FcChar8*>(path.c_str());
        if (!FcConfigAppFontAddFile(FcConfigGetCurrent(), file))
        {
            return 0;
        }
        registered.insert(path);
    }
    return faces;
}

FontFace::~FontFace()
{
    Close();
}

void FontFace::Close()
{
    if (face != nullptr)
    {
        FT_Done_Face(face);
        face = nullptr;
    }
    file.clear();
    pixelsPerEm = 0.0;
}

bool FontFace::Open(const char16_t* faceName, int height)
{
    Close();
    const std::string family = Utf16ToUtf8(faceName);
    FcPattern* pattern = FcPatternCreate();
    if (pattern != nullptr)
    {
        if (!family.empty())
        {
            FcPatternAddString(pattern, FC_FAMILY,
                               reinterpret_cast<const FcChar8*>(family.c_str()));
        }
        FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        // Best match first; further candidates stand in when a file turns
        // out unusable (no outlines, unreadable).
        FcFontSet* fonts = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
        for (int i = 0; fonts != nullptr && i < fonts->nfont && face == nullptr; ++i)
        {
            FcChar8* path = nullptr;
            int index = 0;
            if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &path) != FcResultMatch)
            {
                continue;
            }
            FcPatternGetInteger(fonts->fonts[i], FC_INDEX, 0, &index);
            Load(reinterpret_cast<const char*>(path), index, height);
        }
        if (fonts != nullptr)
        {
            FcFontSetDestroy(fonts);
        }
        FcPatternDestroy(pattern);
    }
    if (face == nullptr)
    {
        std::fprintf(stderr, "font: %s: no installed face could be loaded\n", family.c_str());
        return false;
    }
    return true;
}

bool FontFace::Load(const std::string& path, int index, int height)
{
    FT_Library library = Library();
    FT_Face loaded = nullptr;
    if (library == nullptr || FT_New_Face(library, path.c_str(), index, &loaded) != 0)
    {
        return false;
    }
    if (!FT_IS_SCALABLE(loaded) || loaded->units_per_EM == 0)
    {
        FT_Done_Face(loaded);
        return false;
    }
    // A face without a Unicode map is a symbol font, addressed by its own codes.
    if (FT_Select_Charmap(loaded, FT_ENCODING_UNICODE) != 0 &&
        FT_Select_Charmap(loaded, FT_ENCODING_MS_SYMBOL) != 0 && loaded->num_charmaps > 0)
    {
        FT_Set_Charmap(loaded, loaded->charmaps[0]);
    }
    double ppem = -height;
    if (height >= 0)
    {
        // A cell height spans the face's ascent and descent.
        const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(loaded, FT_SFNT_OS2));
        double cellUnits = loaded->ascender - loaded->descender;
        if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
        {
            cellUnits = os2->usWinAscent + os2->usWinDescent;
        }
        if (cellUnits <= 0)
        {
            cellUnits = loaded->units_per_EM;
        }
        const int cell = height == 0 ? kDefaultCellHeight : height;
        ppem = cell * static_cast<double>(loaded->units_per_EM) / cellUnits;
    }
    ppem = std::max(ppem, 1.0);
    if (FT_Set_Char_Size(loaded, 0, static_cast<FT_F26Dot6>(std::lround(ppem * 64)), 72, 72) != 0)
    {
        FT_Done_Face(loaded);
        return false;
    }
    face = loaded;
    file = path;
    pixelsPerEm = ppem;
    return true;
}

std::string FontFace::GetFamily() const
{
    return face != nullptr && face->family_name != nullptr ? face->family_name : "";
}

unsigned FontFace::GlyphIndex(std::uint32_t codePoint) const
{
    unsigned index = FT_Get_Char_Index(face, codePoint);
    if (index == 0 && codePoint < 0x100 && face->charmap != nullptr &&
        face->charmap->encoding == FT_ENCODING_MS_SYMBOL)
    {
        // Symbol fonts put their glyphs at U+F000 upwards.
        index = FT_Get_Char_Index(face, 0xF000 + codePoint);
    }
    // Index 0 is the face's missing-glyph shape.
    return index;
}

bool FontFace::GetCharacterBitmap(std::uint32_t codePoint, GlyphBitmap& out) const
{
    out = GlyphBitmap();
    if (face == nullptr || FT_Load_Glyph(face, GlyphIndex(codePoint), FT_LOAD_TARGET_MONO) != 0)
    {
        return false;
    }
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
    {
        return false;
    }
    out.xAdvance = static_cast<float>(std::round(slot->advance.x / 64.0));
    out.yAdvance = static_cast<float>(std::round(slot->advance.y / 64.0));
    const FT_Bitmap& bitmap = slot->bitmap;
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if ((!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) || bitmap.rows == 0 || bitmap.width == 0)
    {
        return true;
    }
    out.width = static_cast<int>(bitmap.width);
    out.height = static_cast<int>(bitmap.rows);
    out.xOrigin = static_cast<float>(-slot->bitmap_left);
    out.yOrigin = static_cast<float>(out.height - slot->bitmap_top);
    const int rowBytes = (out.width + 7) / 8;
    out.bits.assign(static_cast<std::size_t>(rowBytes) * out.height, 0);
    // FreeType's pitch steps one row down, whichever way the rows are stored.
    const unsigned char* top = bitmap.buffer;
    if (bitmap.pitch < 0)
    {
        top -= static_cast<std::ptrdiff_t>(bitmap.pitch) * (out.height - 1);
    }
    for (int row = 0; row < out.height; ++row)
    {
        const unsigned char* src = top + static_cast<std::ptrdiff_t>(bitmap.pitch) * row;
        std::uint8_t* dst = &out.bits[static_cast<std::size_t>(out.height - 1 - row) * rowBytes];
        for (int x = 0; x < out.width; ++x)
        {
            const bool on = mono ? (src[x >> 3] & (0x80 >> (x & 7))) != 0 : src[x] >= 128;
            if (on)
            {
                dst[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
            }
        }
    }
    return true;
}

bool FontFace::GetCharacterOutline(std::uint32_t codePoint, double deviation,
                                   GlyphOutline& out) const
{
    out = GlyphOutline();
    // Unscaled, unhinted: coordinates come in font units, one em apart.
    const FT_Int32 flags = FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;
    if (face == nullptr || FT_Load_Glyph(face, GlyphIndex(codePoint), flags) != 0)
    {
        return false;
    }
    FT_GlyphSlot slot = face->glyph;
    const double scale = 1.0 / face->units_per_EM;
    const FT_Glyph_Metrics& m = slot->metrics;
    out.metrics.gmfBlackBoxX = static_cast<float>(m.width * scale);
    out.metrics.gmfBlackBoxY = static_cast<float>(m.height * scale);
    out.metrics.gmfptGlyphOrigin.x = static_cast<float>(m.horiBearingX * scale);
    out.metrics.gmfptGlyphOrigin.y = static_cast<float>(m.horiBearingY * scale);
    out.metrics.gmfCellIncX = static_cast<float>(m.horiAdvance * scale);
    out.metrics.gmfCellIncY = 0.0f;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE || slot->outline.n_contours <= 0)
    {
        return true;
    }
    FT_Outline& outline = slot->outline;
    out.evenOdd = (outline.flags & FT_OUTLINE_EVEN_ODD_FILL) != 0;
    switch (FT_Outline_Get_Orientation(&outline))
    {
    case FT_ORIENTATION_TRUETYPE:
        out.clockwiseFill = true;
        break;
    case FT_ORIENTATION_POSTSCRIPT:
        out.clockwiseFill = false;
        break;
    default:
        out.clockwiseFill = (outline.flags & FT_OUTLINE_REVERSE_FILL) == 0;
        break;
    }

    Flattener flattener{&out.contours, 0.0, scale, {0.0, 0.0}};
    flattener.tolerance = (deviation > 0.0 ? deviation : kDefaultDeviation) * face->units_per_EM;
    FT_Outline_Funcs funcs = {};
    funcs.move_to = MoveTo;
    funcs.line_to = LineTo;
    funcs.conic_to = ConicTo;
    funcs.cubic_to = CubicTo;
    if (FT_Outline_Decompose(&outline, &funcs, &flattener) != 0)
    {
        out.contours.clear();
        return false;
    }
    Tidy(out.contours);
    return true;
}

} // namespace platform
