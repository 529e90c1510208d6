// Glyph display lists from a TrueType face: flat bitmap glyphs for the
// printable ASCII range and extruded outline glyphs, one em high, for the
// 8-bit range, with text drawing over them. Built with the window system's
// font calls (platform/Fonts.h) on the screen's device context; needs a
// current GL context to build, draw and delete.
#pragma once

#include "platform/Fonts.h"
#include "platform/GL.h"
#include "platform/Win32.h"
#include "render/Vector3f.h"

#include <cstdint>

namespace MivexGL
{

class cFontSystem
{
public:
    // Bitmap lists: codes 32..127, list base + (c - 32).
    static constexpr int kBitmapFirst = 32;
    static constexpr int kBitmapCount = 96;
    // Outline lists: 256 reserved, codes 0..254 built, list base + c.
    static constexpr int kOutlineLists = 256;
    static constexpr int kOutlineBuilt = 255;
    // Depth of the outline glyphs, along negative z.
    static constexpr float kExtrusion = 0.2f;

    cFontSystem();
    // Not virtual: fonts live by value in their owners.
    ~cFontSystem();
    cFontSystem(const cFontSystem&) = delete;
    cFontSystem& operator=(const cFontSystem&) = delete;

    // The font file (may be empty) is registered for this process, then the
    // face is looked up by name; height as for the window system's fonts
    // (negative: character height in pixels). Failures leave a base of 0.
    void CreateBitmapFont(const char16_t* fontFile, const char16_t* faceName, int height);
    void CreateOutlineFont(const char16_t* fontFile, const char16_t* faceName, int height);

    // Bitmap text at raster position (x, y) in the current coordinates, in
    // the current colour. Codes outside 32..127 are skipped.
    void PrintBitmap(float x, float y, const char* text) const;
    // Outline text from the current model-view origin, one em per unit,
    // running along +x. The model-view matrix is left as it was.
    void PrintOutline(const char* text) const;

    GLuint GetBitmapBase() const { return bitmapBase; }
    GLuint GetOutlineBase() const { return outlineBase; }
    // Metrics of an outline glyph in em units (zero until outline creation).
    const platform::GLYPHMETRICSFLOAT& GetGlyphMetrics(unsigned char code) const
    {
        return glyphMetrics[code];
    }
    // Width of a text in outline em units, from the glyph advances.
    float GetOutlineWidth(const char* text) const;

private:
    // Registers the font file for this process; a file that cannot be added
    // says so once on standard error.
    static void AddPrivateFont(const char16_t* fontFile);
    // The GDI font both forms build from.
    static platform::HFONT MakeFont(const char16_t* faceName, int height);

    void DeleteLists();

    cVector3f position;
    platform::GLYPHMETRICSFLOAT glyphMetrics[256];
    std::uint32_t bitmapBase;
    std::uint32_t outlineBase;
    // The window whose device context builds the glyphs: no operation sets
    // it, so the context is the screen's.
    platform::HDC hDC;
    platform::HWND hWnd;
};

} // namespace MivexGL
