// The window system's fonts in its own terms: font files registered for
// this process, GDI font objects selected into a device context, and WGL's
// builders of glyph display lists from the selected font. Here they stand
// over FontFace (FreeType, fontconfig) and the GLU tessellator; on Windows
// they are the system's own calls. A null device context stands for the
// screen's. Building lists needs a current GL context.
#pragma once

#include "platform/Display.h"
#include "platform/Win32.h"

#include <cstdint>

namespace platform
{

struct FontRecord;
using HFONT = FontRecord*;
using HGDIOBJ = void*;

// AddFontResourceExW flag: the font is visible to this process only.
constexpr DWORD FR_PRIVATE = 0x10;

// CreateFontW arguments.
constexpr int FW_NORMAL = 400;
constexpr DWORD ANSI_CHARSET = 0;
constexpr DWORD OUT_TT_PRECIS = 4;
constexpr DWORD CLIP_DEFAULT_PRECIS = 0;
constexpr DWORD ANTIALIASED_QUALITY = 4;
constexpr DWORD DEFAULT_PITCH = 0;

// wglUseFontOutlinesW formats.
constexpr int WGL_FONT_LINES = 0;
constexpr int WGL_FONT_POLYGONS = 1;

struct POINTFLOAT
{
    float x;
    float y;
};

// Outline glyph metrics in em units, origin at the pen position on the
// baseline: the black box size, its upper-left corner and the pen advance.
struct GLYPHMETRICSFLOAT
{
    float gmfBlackBoxX;
    float gmfBlackBoxY;
    POINTFLOAT gmfptGlyphOrigin;
    float gmfCellIncX;
    float gmfCellIncY;
};

// Registers a font file for this process (FR_PRIVATE). Returns the number
// of faces added: 0 for an empty name or a file that is no font.
int AddFontResourceExW(const char16_t* fileName, DWORD flags, void* reserved);

// A logical font; the face is found when glyphs are made from it, and an
// unknown name falls back to what the font mapper picks. Height as the
// window system takes it: negative is the em in pixels, positive the cell.
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily,
                  const char16_t* faceName);
// Selects a font into a device context and returns the one it replaces
// (null when either handle is not valid).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Fails for a handle that is not valid or still selected somewhere.
BOOL DeleteObject(HGDIOBJ object);

// Glyphs of the selected font as display lists listBase + i for the UTF-16
// codes first + i: glBitmap images of the glyphs at the font's size.
BOOL wglUseFontBitmapsW(HDC dc, DWORD first, DWORD count, DWORD listBase);
// The same as solid outline models one em high, extruded along negative z
// (or as line loops with WGL_FONT_LINES); each list ends with the pen
// advance. Metrics, when given, receive count records. Deviation is the
// chordal tolerance in em units; 0 takes a fine default.
BOOL wglUseFontOutlinesW(HDC dc, DWORD first, DWORD count, DWORD listBase, float deviation,
                         float extrusion, int format, GLYPHMETRICSFLOAT* metrics);

} // namespace platform
