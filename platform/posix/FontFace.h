// Font faces behind the font calls of platform/Fonts.h: fontconfig finds a
// face by name (an unknown name falls back to what fontconfig matches, a
// registered file joins the process's own fonts), FreeType loads it and
// hands out glyph bitmaps and flattened outlines. Characters are Unicode
// code points, or 8-bit ANSI (Windows-1252) codes mapped as the window
// system maps them.
#pragma once

#include "platform/Fonts.h"
#include "platform/Text.h"
#include "platform/Win32.h"

#include <cstdint>
#include <string>
#include <vector>

struct FT_FaceRec_;

namespace platform
{

// One glyph as glBitmap takes it: 1 bit a pixel, rows from the bottom up,
// each row padded to a whole byte. The origin offsets place the bottom-left
// of the image relative to the pen on the baseline; advance moves the pen.
struct GlyphBitmap
{
    int width = 0;
    int height = 0;
    float xOrigin = 0.0f;
    float yOrigin = 0.0f;
    float xAdvance = 0.0f;
    float yAdvance = 0.0f;
    std::vector<std::uint8_t> bits;
};

struct OutlinePoint
{
    double x;
    double y;
};

// A glyph's closed contours as polylines in em units (the last point does
// not repeat the first).
struct GlyphOutline
{
    std::vector<std::vector<OutlinePoint>> contours;
    // Fill rule of the outline: even-odd rather than non-zero winding.
    bool evenOdd = false;
    // Filled contours run clockwise (holes counter-clockwise), as in
    // TrueType; otherwise the other way round.
    bool clockwiseFill = true;
    GLYPHMETRICSFLOAT metrics = {};
};

// Windows-1252 code to Unicode: 128..159 through the code page, every other
// code (and the five unassigned slots) to the same code point.
std::uint32_t AnsiToUnicode(unsigned char code);

// One opened face at one size, standing for a created and selected font.
class FontFace
{
public:
    FontFace() = default;
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // Finds and loads the face; height as the window system's font height
    // (negative: em size in pixels, positive: cell height, 0: a default).
    // Fails only when no face at all could be loaded.
    bool Open(const char16_t* faceName, int height);
    void Close();
    bool IsOpen() const { return face != nullptr; }

    std::string GetFamily() const;
    std::string GetFile() const { return file; }
    // Pixels per em of the opened size.
    double GetPixelsPerEm() const { return pixelsPerEm; }

    // The glyph for an ANSI code at the opened size; a code the face lacks
    // gives the face's default glyph. False only on a FreeType failure.
    bool GetBitmap(unsigned char code, GlyphBitmap& out) const
    {
        return GetCharacterBitmap(AnsiToUnicode(code), out);
    }
    // The glyph's outline in em units, curves flattened to within the given
    // deviation (em units; 0 or less picks a default).
    bool GetOutline(unsigned char code, double deviation, GlyphOutline& out) const
    {
        return GetCharacterOutline(AnsiToUnicode(code), deviation, out);
    }
    // The same by Unicode code point, as the wide font calls name characters.
    bool GetCharacterBitmap(std::uint32_t codePoint, GlyphBitmap& out) const;
    bool GetCharacterOutline(std::uint32_t codePoint, double deviation, GlyphOutline& out) const;

private:
    // Opens one candidate file and sizes it; false leaves nothing open.
    bool Load(const std::string& path, int index, int height);
    unsigned GlyphIndex(std::uint32_t codePoint) const;

    FT_FaceRec_* face = nullptr;
    std::string file;
    double pixelsPerEm = 0.0;
};

} // namespace platform
