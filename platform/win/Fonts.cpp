// The font calls on Windows: private font files, GDI fonts and WGL's glyph
// list builders, passed straight through to GDI32 and OpenGL32.
#include "platform/Fonts.h"

#include <cstddef>

#include "platform/win/Native.h"

namespace platform
{

namespace
{

// Null is the screen, whose context is taken once and kept for the process.
::HDC Device(HDC dc)
{
    static const ::HDC screen = ::GetDC(nullptr);
    return dc != nullptr ? Native(dc) : screen;
}

} // namespace

static_assert(sizeof(GLYPHMETRICSFLOAT) == sizeof(::GLYPHMETRICSFLOAT) &&
                  offsetof(GLYPHMETRICSFLOAT, gmfptGlyphOrigin) ==
                      offsetof(::GLYPHMETRICSFLOAT, gmfptGlyphOrigin) &&
                  offsetof(GLYPHMETRICSFLOAT, gmfCellIncY) ==
                      offsetof(::GLYPHMETRICSFLOAT, gmfCellIncY),
              "glyph metrics are the system's records");

int AddFontResourceExW(const char16_t* fileName, DWORD flags, void* reserved)
{
    if (fileName == nullptr || fileName[0] == 0)
    {
        return 0;
    }
    return ::AddFontResourceExW(Wide(fileName), flags, reserved);
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily,
                  const char16_t* faceName)
{
    return reinterpret_cast<HFONT>(::CreateFontW(
        height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
        outPrecision, clipPrecision, quality, pitchAndFamily, Wide(faceName)));
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    return ::SelectObject(Device(dc), static_cast<::HGDIOBJ>(object));
}

BOOL DeleteObject(HGDIOBJ object)
{
    return ::DeleteObject(static_cast<::HGDIOBJ>(object));
}

BOOL wglUseFontBitmapsW(HDC dc, DWORD first, DWORD count, DWORD listBase)
{
    return ::wglUseFontBitmapsW(Device(dc), first, count, listBase);
}

BOOL wglUseFontOutlinesW(HDC dc, DWORD first, DWORD count, DWORD listBase, float deviation,
                         float extrusion, int format, GLYPHMETRICSFLOAT* metrics)
{
    return ::wglUseFontOutlinesW(Device(dc), first, count, listBase, deviation, extrusion, format,
                                 reinterpret_cast<::LPGLYPHMETRICSFLOAT>(metrics));
}

} // namespace platform
