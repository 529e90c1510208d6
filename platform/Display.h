// Window, display mode, device and GL context in the window system's own
// terms (window classes, DEVMODE, pixel formats, WGL contexts). Every back end
// provides all of it (platform/README.md); one may refuse every display mode
// but the desktop's and offer no multisample format. Each step can fail on
// its own, as the window system's can, and tests can make any step fail on
// purpose through the shared seam state.
//
// GL objects outlive a context: every context is created in one share group
// rooted in a hidden context that lives as long as the process, so textures,
// display lists and programs made before a display is re-created (F1) stay
// valid afterwards.
#pragma once

#include "platform/Win32.h"

#include <cstdint>

namespace platform
{

using DWORD = std::uint32_t;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_OWNDC = 0x0020;

constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000u;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000u;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000u;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100u;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000u;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;

struct WNDCLASSW
{
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    const void* hIcon;
    const void* hCursor;
    const void* hbrBackground;
    const char16_t* lpszMenuName;
    const char16_t* lpszClassName;
};

struct RECT
{
    long left, top, right, bottom;
};

constexpr DWORD DM_BITSPERPEL = 0x00040000u;
constexpr DWORD DM_PELSWIDTH = 0x00080000u;
constexpr DWORD DM_PELSHEIGHT = 0x00100000u;
constexpr DWORD CDS_FULLSCREEN = 0x00000004u;
constexpr int DISP_CHANGE_SUCCESSFUL = 0;
constexpr int DISP_CHANGE_FAILED = -1;
constexpr int DISP_CHANGE_BADMODE = -2;

struct DEVMODEW
{
    std::uint16_t dmSize;
    DWORD dmFields;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
};

constexpr DWORD PFD_DOUBLEBUFFER = 0x00000001u;
constexpr DWORD PFD_DRAW_TO_WINDOW = 0x00000004u;
constexpr DWORD PFD_SUPPORT_OPENGL = 0x00000020u;
constexpr std::uint8_t PFD_TYPE_RGBA = 0;
constexpr std::uint8_t PFD_MAIN_PLANE = 0;

struct PIXELFORMATDESCRIPTOR
{
    std::uint16_t nSize;
    std::uint16_t nVersion;
    DWORD dwFlags;
    std::uint8_t iPixelType;
    std::uint8_t cColorBits;
    std::uint8_t cRedBits, cRedShift, cGreenBits, cGreenShift, cBlueBits, cBlueShift;
    std::uint8_t cAlphaBits, cAlphaShift;
    std::uint8_t cAccumBits, cAccumRedBits, cAccumGreenBits, cAccumBlueBits, cAccumAlphaBits;
    std::uint8_t cDepthBits;
    std::uint8_t cStencilBits;
    std::uint8_t cAuxBuffers;
    std::uint8_t iLayerType;
    std::uint8_t bReserved;
    DWORD dwLayerMask, dwVisibleMask, dwDamageMask;
};

// Attributes of the pixel-format query.
constexpr int WGL_DRAW_TO_WINDOW_ARB = 0x2001;
constexpr int WGL_ACCELERATION_ARB = 0x2003;
constexpr int WGL_SUPPORT_OPENGL_ARB = 0x2010;
constexpr int WGL_DOUBLE_BUFFER_ARB = 0x2011;
constexpr int WGL_COLOR_BITS_ARB = 0x2014;
constexpr int WGL_ALPHA_BITS_ARB = 0x201B;
constexpr int WGL_DEPTH_BITS_ARB = 0x2022;
constexpr int WGL_STENCIL_BITS_ARB = 0x2023;
constexpr int WGL_FULL_ACCELERATION_ARB = 0x2027;
constexpr int WGL_SAMPLE_BUFFERS_ARB = 0x2041;
constexpr int WGL_SAMPLES_ARB = 0x2042;

using PFNWGLGETEXTENSIONSSTRINGARBPROC = const char* (*)(HDC);
using PFNWGLCHOOSEPIXELFORMATARBPROC = BOOL (*)(HDC, const int*, const float*, UINT, int*, UINT*);

HINSTANCE GetModuleHandleW(const char16_t* name);
// Returns a non-zero atom, or 0 when the class is already registered.
std::uint16_t RegisterClassW(const WNDCLASSW* windowClass);
BOOL UnregisterClassW(const char16_t* className, HINSTANCE instance);

// With a mode: takes the display to it for the next fullscreen window, or
// refuses it (DISP_CHANGE_BADMODE) unless the display offers exactly that
// size. With null: back to the desktop mode.
int ChangeDisplaySettingsW(const DEVMODEW* mode, DWORD flags);
int ShowCursor(BOOL show);
// Window borders belong to the window manager here, so the rectangle stays
// the client rectangle.
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);

HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* title, DWORD style,
                     int x, int y, int width, int height, HWND parent, void* menu,
                     HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND window);
BOOL ShowWindow(HWND window, int command);
BOOL SetForegroundWindow(HWND window);
HWND SetFocus(HWND window);
HWND GetForegroundWindow();
BOOL IsWindow(HWND window);
// The caption; a window not yet shown takes it when it is.
BOOL SetWindowTextW(HWND window, const char16_t* text);
// Copies the caption, cut to capacity - 1 characters; returns their count.
int GetWindowTextW(HWND window, char16_t* text, int capacity);
// Client size of a live window.
BOOL GetClientSize(HWND window, int* width, int* height);

HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor);
BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* descriptor);
BOOL SwapBuffers(HDC dc);

HGLRC wglCreateContext(HDC dc);
BOOL wglMakeCurrent(HDC dc, HGLRC context);
BOOL wglDeleteContext(HGLRC context);
HDC wglGetCurrentDC();
// How many display refreshes the current context's swap waits for; negative
// for adaptive (no wait for a late frame) where the driver has it. Nothing
// here asks for one: the driver's default stands unless a program asks
// (a production's development mode may). FALSE without a current context
// or when the driver refuses; a refused adaptive interval is not retried.
BOOL wglSwapIntervalEXT(int interval);
// The current context's swap interval, 0 without a current context.
int wglGetSwapIntervalEXT();
// Window-system functions by name ("wglGetExtensionsStringARB",
// "wglChoosePixelFormatARB"), else the GL entry point of that name.
void (*wglGetProcAddress(const char* name))();

// Sends a message straight to a window's procedure.
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The procedure of the window's class.
WNDPROC GetWindowProc(HWND window);

} // namespace platform
