// The window system's own headers for the Windows back end, and the casts
// between our handle types and its handles. Our HWND, HDC and HGLRC are the
// system's handles under another type, so a call passes straight through.
//
// Include this header last in a back-end file: <windows.h> defines its
// constants and several function names as macros, which would rewrite the
// declarations in our headers if they came after it. Inside namespace
// platform, name the system's own types and functions with a leading "::".
#pragma once

#ifndef _WIN32
#error "platform/win is the Windows back end"
#endif

#include "platform/Win32.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

static_assert(sizeof(void*) == 8, "the Windows back end passes procedures through as x64 code");
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide texts are UTF-16 on Windows");

namespace platform
{

// A GL context on dc in a double-buffered RGBA format with a 16-bit depth
// and alphaBits of alpha; null when the format or the context fails.
inline ::HGLRC CreateContextWithFormat(::HDC dc, ::BYTE alphaBits)
{
    ::PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(pfd);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cAlphaBits = alphaBits;
    pfd.cDepthBits = 16;
    const int format = dc != nullptr ? ::ChoosePixelFormat(dc, &pfd) : 0;
    return format != 0 && ::SetPixelFormat(dc, format, &pfd) ? ::wglCreateContext(dc) : nullptr;
}

inline ::HWND Native(HWND window)
{
    return reinterpret_cast<::HWND>(window);
}
inline HWND Ours(::HWND window)
{
    return reinterpret_cast<HWND>(window);
}
inline ::HDC Native(HDC dc)
{
    return reinterpret_cast<::HDC>(dc);
}
inline HDC Ours(::HDC dc)
{
    return reinterpret_cast<HDC>(dc);
}
inline ::HGLRC Native(HGLRC context)
{
    return reinterpret_cast<::HGLRC>(context);
}
inline HGLRC Ours(::HGLRC context)
{
    return reinterpret_cast<HGLRC>(context);
}
inline const wchar_t* Wide(const char16_t* text)
{
    return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* Wide(char16_t* text)
{
    return reinterpret_cast<wchar_t*>(text);
}

} // namespace platform
