// Windows, display modes, pixel formats and GL contexts: each call goes
// straight to USER32, GDI32 or WGL, with our structures copied into the
// system's and the test seams' faults checked first. Depends on
// platform/Display.h, the seam state and platform/win/Native.h.
//
// Every display context joins one share group rooted in a hidden context
// made at first use, so textures, lists and programs survive F1.
#include "platform/Display.h"

#include "platform/FramePacing.h"
#include "platform/GLProc.h"
#include "platform/SeamState.h"

#include <cstdio>
#include <cstring>

#include "platform/win/Native.h"

// The system's generic-text names would rewrite our seam's step names.
#undef ChangeDisplaySettings
#undef CreateWindow
#undef RegisterClass
#undef UnregisterClass

namespace platform
{

namespace
{

constexpr wchar_t kRootClass[] = L"MivexGL share root";

struct Root
{
    ::HWND window = nullptr;
    ::HDC dc = nullptr;
    ::HGLRC context = nullptr;
    bool tried = false;
};

Root& R()
{
    static Root root;
    return root;
}

::PIXELFORMATDESCRIPTOR NativeDescriptor(const PIXELFORMATDESCRIPTOR& d)
{
    ::PIXELFORMATDESCRIPTOR n{};
    n.nSize = sizeof(::PIXELFORMATDESCRIPTOR);
    n.nVersion = d.nVersion;
    n.dwFlags = d.dwFlags;
    n.iPixelType = d.iPixelType;
    n.cColorBits = d.cColorBits;
    n.cRedBits = d.cRedBits;
    n.cRedShift = d.cRedShift;
    n.cGreenBits = d.cGreenBits;
    n.cGreenShift = d.cGreenShift;
    n.cBlueBits = d.cBlueBits;
    n.cBlueShift = d.cBlueShift;
    n.cAlphaBits = d.cAlphaBits;
    n.cAlphaShift = d.cAlphaShift;
    n.cAccumBits = d.cAccumBits;
    n.cAccumRedBits = d.cAccumRedBits;
    n.cAccumGreenBits = d.cAccumGreenBits;
    n.cAccumBlueBits = d.cAccumBlueBits;
    n.cAccumAlphaBits = d.cAccumAlphaBits;
    n.cDepthBits = d.cDepthBits;
    n.cStencilBits = d.cStencilBits;
    n.cAuxBuffers = d.cAuxBuffers;
    n.iLayerType = d.iLayerType;
    n.bReserved = d.bReserved;
    n.dwLayerMask = d.dwLayerMask;
    n.dwVisibleMask = d.dwVisibleMask;
    n.dwDamageMask = d.dwDamageMask;
    return n;
}

LRESULT CALLBACK RootProc(::HWND window, ::UINT message, ::WPARAM wParam, ::LPARAM lParam)
{
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The hidden share root: a window of its own class with the plain format.
// Nothing is made current, so the caller's context stays as it was.
::HGLRC EnsureRoot()
{
    Root& r = R();
    if (r.context != nullptr || r.tried)
    {
        return r.context;
    }
    r.tried = true;
    ::HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ::WNDCLASSW windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = &RootProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kRootClass;
    ::RegisterClassW(&windowClass);
    r.window = ::CreateWindowExW(0, kRootClass, kRootClass, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 instance, nullptr);
    r.dc = r.window != nullptr ? ::GetDC(r.window) : nullptr;
    if (r.dc == nullptr)
    {
        return nullptr;
    }
    // The shared root is never drawn to, so it needs no alpha.
    r.context = CreateContextWithFormat(r.dc, 0);
    return r.context;
}

// The extension string when tests replaced it.
const char* WINAPI OverriddenExtensions(::HDC)
{
    const char* text = nullptr;
    WindowExtensionsOverridden(&text);
    return text;
}

} // namespace

HINSTANCE GetModuleHandleW(const char16_t* name)
{
    return ::GetModuleHandleW(name != nullptr ? Wide(name) : nullptr);
}

std::uint16_t RegisterClassW(const WNDCLASSW* windowClass)
{
    if (windowClass == nullptr || DisplayFaulty(DisplayStep::RegisterClass))
    {
        return 0;
    }
    ::WNDCLASSW n{};
    n.style = windowClass->style;
    // Our procedure type is the system's under other names (x64 has one
    // calling convention), so the class calls it directly.
    n.lpfnWndProc = reinterpret_cast<::WNDPROC>(windowClass->lpfnWndProc);
    n.cbClsExtra = windowClass->cbClsExtra;
    n.cbWndExtra = windowClass->cbWndExtra;
    n.hInstance = static_cast<::HINSTANCE>(windowClass->hInstance);
    // A class without its own icon and cursor takes the stock ones: with no
    // class cursor, whatever cursor crossed the window last would stay.
    n.hIcon = windowClass->hIcon != nullptr
                  ? static_cast<::HICON>(const_cast<void*>(windowClass->hIcon))
                  : ::LoadIconW(nullptr, IDI_WINLOGO);
    n.hCursor = windowClass->hCursor != nullptr
                    ? static_cast<::HCURSOR>(const_cast<void*>(windowClass->hCursor))
                    : ::LoadCursorW(nullptr, IDC_ARROW);
    n.hbrBackground = static_cast<::HBRUSH>(const_cast<void*>(windowClass->hbrBackground));
    n.lpszMenuName =
        windowClass->lpszMenuName != nullptr ? Wide(windowClass->lpszMenuName) : nullptr;
    n.lpszClassName = Wide(windowClass->lpszClassName);
    return ::RegisterClassW(&n);
}

BOOL UnregisterClassW(const char16_t* className, HINSTANCE instance)
{
    if (className == nullptr || DisplayFaulty(DisplayStep::UnregisterClass))
    {
        return FALSE;
    }
    return ::UnregisterClassW(Wide(className), static_cast<::HINSTANCE>(instance));
}

int ChangeDisplaySettingsW(const DEVMODEW* mode, DWORD flags)
{
    if (mode == nullptr)
    {
        return ::ChangeDisplaySettingsW(nullptr, flags);
    }
    if (DisplayFaulty(DisplayStep::ChangeDisplaySettings))
    {
        return DISP_CHANGE_FAILED;
    }
    ::DEVMODEW n;
    std::memset(&n, 0, sizeof(n));
    n.dmSize = sizeof(n);
    n.dmFields = mode->dmFields;
    n.dmBitsPerPel = mode->dmBitsPerPel;
    n.dmPelsWidth = mode->dmPelsWidth;
    n.dmPelsHeight = mode->dmPelsHeight;
    return ::ChangeDisplaySettingsW(&n, flags);
}

int ShowCursor(BOOL show)
{
    return ::ShowCursor(show);
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle)
{
    if (rect == nullptr)
    {
        return FALSE;
    }
    ::RECT n{rect->left, rect->top, rect->right, rect->bottom};
    if (!::AdjustWindowRectEx(&n, style, menu, exStyle))
    {
        return FALSE;
    }
    *rect = RECT{n.left, n.top, n.right, n.bottom};
    return TRUE;
}

HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* title, DWORD style,
                     int x, int y, int width, int height, HWND parent, void* menu,
                     HINSTANCE instance, void* param)
{
    if (className == nullptr || DisplayFaulty(DisplayStep::CreateWindow))
    {
        return nullptr;
    }
    return Ours(::CreateWindowExW(
        exStyle, Wide(className), title != nullptr ? Wide(title) : L"", style, x, y, width, height,
        Native(parent), static_cast<::HMENU>(menu), static_cast<::HINSTANCE>(instance), param));
}

BOOL DestroyWindow(HWND window)
{
    if (window == nullptr || DisplayFaulty(DisplayStep::DestroyWindow))
    {
        return FALSE;
    }
    if (!::DestroyWindow(Native(window)))
    {
        return FALSE;
    }
    ForgetPresentedFrames(window);
    return TRUE;
}

BOOL ShowWindow(HWND window, int command)
{
    if (window == nullptr || !::IsWindow(Native(window)))
    {
        return FALSE;
    }
    // The system answers whether the window was visible before; ours says
    // whether the call reached a window.
    ::ShowWindow(Native(window), command);
    return TRUE;
}

BOOL SetForegroundWindow(HWND window)
{
    return ::SetForegroundWindow(Native(window));
}

HWND SetFocus(HWND window)
{
    return Ours(::SetFocus(Native(window)));
}

HWND GetForegroundWindow()
{
    return Ours(::GetForegroundWindow());
}

BOOL IsWindow(HWND window)
{
    return window != nullptr && ::IsWindow(Native(window)) ? TRUE : FALSE;
}

BOOL SetWindowTextW(HWND window, const char16_t* text)
{
    if (window == nullptr)
    {
        return FALSE;
    }
    return ::SetWindowTextW(Native(window), text != nullptr ? Wide(text) : L"");
}

int GetWindowTextW(HWND window, char16_t* text, int capacity)
{
    if (window == nullptr || text == nullptr || capacity <= 0)
    {
        return 0;
    }
    text[0] = u'\0';
    return ::GetWindowTextW(Native(window), Wide(text), capacity);
}

BOOL GetClientSize(HWND window, int* width, int* height)
{
    ::RECT rect{};
    if (window == nullptr || width == nullptr || height == nullptr ||
        !::GetClientRect(Native(window), &rect))
    {
        return FALSE;
    }
    *width = static_cast<int>(rect.right - rect.left);
    *height = static_cast<int>(rect.bottom - rect.top);
    return TRUE;
}

HDC GetDC(HWND window)
{
    if (window == nullptr || DisplayFaulty(DisplayStep::GetDC))
    {
        return nullptr;
    }
    return Ours(::GetDC(Native(window)));
}

int ReleaseDC(HWND window, HDC dc)
{
    if (DisplayFaulty(DisplayStep::ReleaseDC))
    {
        return 0;
    }
    return ::ReleaseDC(Native(window), Native(dc));
}

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor)
{
    if (dc == nullptr || descriptor == nullptr || DisplayFaulty(DisplayStep::ChoosePixelFormat))
    {
        return 0;
    }
    const ::PIXELFORMATDESCRIPTOR n = NativeDescriptor(*descriptor);
    return ::ChoosePixelFormat(Native(dc), &n);
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* descriptor)
{
    if (dc == nullptr || descriptor == nullptr || DisplayFaulty(DisplayStep::SetPixelFormat))
    {
        return FALSE;
    }
    const ::PIXELFORMATDESCRIPTOR n = NativeDescriptor(*descriptor);
    return ::SetPixelFormat(Native(dc), format, &n);
}

BOOL SwapBuffers(HDC dc)
{
    if (dc == nullptr || !::SwapBuffers(Native(dc)))
    {
        return FALSE;
    }
    ::HWND window = ::WindowFromDC(Native(dc));
    if (window != nullptr)
    {
        CountPresentedFrame(Ours(window));
    }
    if (::wglGetCurrentContext() != nullptr)
    {
        PaceFrame();
    }
    return TRUE;
}

HGLRC wglCreateContext(HDC dc)
{
    if (dc == nullptr || DisplayFaulty(DisplayStep::CreateContext))
    {
        return nullptr;
    }
    ::HGLRC context = ::wglCreateContext(Native(dc));
    if (context == nullptr)
    {
        return nullptr;
    }
    // Sharing must happen before the new context holds anything of its own.
    // Without a root, a context of its own is still a context; but what was
    // made before is gone after a switch, so say so once.
    ::HGLRC root = EnsureRoot();
    static bool told = false;
    if ((root == nullptr || !::wglShareLists(root, context)) && !told)
    {
        told = true;
        std::fprintf(stderr, "display: contexts cannot share here; textures, lists and programs "
                             "made before a display switch are lost with it\n");
    }
    return Ours(context);
}

BOOL wglMakeCurrent(HDC dc, HGLRC context)
{
    if (DisplayFaulty(DisplayStep::MakeCurrent))
    {
        return FALSE;
    }
    ::HGLRC now = ::wglGetCurrentContext();
    if (now != Native(context))
    {
        ForgetPacedFrame(now != nullptr);
    }
    return ::wglMakeCurrent(Native(dc), Native(context)) ? TRUE : FALSE;
}

BOOL wglSwapIntervalEXT(int interval)
{
    using SwapInterval = ::BOOL(WINAPI*)(int);
    auto set = reinterpret_cast<SwapInterval>(GetGLProcAddress("wglSwapIntervalEXT"));
    return set != nullptr && set(interval) ? TRUE : FALSE;
}

int wglGetSwapIntervalEXT()
{
    using GetSwapInterval = int(WINAPI*)();
    auto get = reinterpret_cast<GetSwapInterval>(GetGLProcAddress("wglGetSwapIntervalEXT"));
    return get != nullptr ? get() : 0;
}

BOOL wglDeleteContext(HGLRC context)
{
    if (context == nullptr)
    {
        return FALSE;
    }
    // A reported failure still frees the context: every caller drops its
    // handle after the call, so nothing could free it later.
    if (::wglGetCurrentContext() == Native(context))
    {
        ForgetPacedFrame(true);
    }
    const BOOL deleted = ::wglDeleteContext(Native(context));
    return DisplayFaulty(DisplayStep::DeleteContext) ? FALSE : deleted;
}

HDC wglGetCurrentDC()
{
    return Ours(::wglGetCurrentDC());
}

void (*wglGetProcAddress(const char* name))()
{
    if (name == nullptr)
    {
        return nullptr;
    }
    const char* ignored = nullptr;
    if (std::strcmp(name, "wglGetExtensionsStringARB") == 0 && WindowExtensionsOverridden(&ignored))
    {
        return reinterpret_cast<void (*)()>(&OverriddenExtensions);
    }
    return GetGLProcAddress(name);
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(Native(window), message, wParam, lParam);
}

WNDPROC GetWindowProc(HWND window)
{
    if (window == nullptr)
    {
        return nullptr;
    }
    return reinterpret_cast<WNDPROC>(::GetClassLongPtrW(Native(window), GCLP_WNDPROC));
}

} // namespace platform
