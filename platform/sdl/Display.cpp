// Window classes, windows, display modes and the cursor over SDL2; their
// pixel formats and GL contexts are platform/sdl/GLContext.cpp's.
//
// The window system creates a window first and picks its pixel format
// afterwards; SDL fixes a window's visual at creation. So a window here is a
// record first (platform/sdl/WindowRecord.h), and its SDL window is made
// when its pixel format is set.
#include "platform/Display.h"
#include "platform/SeamState.h"

#include "platform/sdl/DisplayInternal.h"
#include "platform/sdl/WindowRecord.h"
#include "platform/FramePacing.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "platform/Video.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>
#include <string>

namespace platform
{

namespace
{

struct State
{
    std::map<std::u16string, WNDCLASSW> classes;
    std::set<WindowRecord*> windows;
    bool haveMode = false;
    SDL_DisplayMode mode{};
    int cursorCount = 0;
    bool videoReady = false;
};

State& S()
{
    static State state;
    return state;
}

bool EnsureVideo()
{
    if (!S().videoReady)
    {
        S().videoReady = AcquireVideo();
    }
    return S().videoReady;
}

} // namespace

bool Live(HWND window)
{
    return window != nullptr && S().windows.count(window) != 0;
}

const SDL_DisplayMode* FullscreenMode()
{
    return S().haveMode ? &S().mode : nullptr;
}

namespace
{

} // namespace

HWND FindWindowBySdlId(std::uint32_t id)
{
    for (WindowRecord* w : S().windows)
    {
        if (w->sdl != nullptr && SDL_GetWindowID(w->sdl) == id)
        {
            return w;
        }
    }
    return nullptr;
}

bool IsWindowMinimised(HWND window)
{
    return Live(window) && window->sdl != nullptr &&
           (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MINIMIZED) != 0;
}

HINSTANCE GetModuleHandleW(const char16_t*)
{
    static int module;
    return &module;
}

std::uint16_t RegisterClassW(const WNDCLASSW* windowClass)
{
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr ||
        DisplayFaulty(DisplayStep::RegisterClass))
    {
        return 0;
    }
    const std::u16string name(windowClass->lpszClassName);
    if (S().classes.count(name) != 0)
    {
        return 0;
    }
    S().classes[name] = *windowClass;
    return static_cast<std::uint16_t>(0xC000 + S().classes.size());
}

BOOL UnregisterClassW(const char16_t* className, HINSTANCE)
{
    if (className == nullptr || DisplayFaulty(DisplayStep::UnregisterClass))
    {
        return FALSE;
    }
    return S().classes.erase(std::u16string(className)) != 0 ? TRUE : FALSE;
}

int ChangeDisplaySettingsW(const DEVMODEW* mode, DWORD flags)
{
    State& s = S();
    if (mode == nullptr)
    {
        s.haveMode = false;
        for (WindowRecord* w : s.windows)
        {
            if (w->sdl != nullptr && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_FULLSCREEN) != 0)
            {
                SDL_SetWindowFullscreen(w->sdl, 0);
            }
        }
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (DisplayFaulty(DisplayStep::ChangeDisplaySettings) || !EnsureVideo())
    {
        return DISP_CHANGE_FAILED;
    }
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i)
    {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) != 0)
        {
            continue;
        }
        const int bits = static_cast<int>(SDL_BITSPERPIXEL(m.format));
        const int wanted = static_cast<int>(mode->dmBitsPerPel);
        const bool depthFits = (mode->dmFields & DM_BITSPERPEL) == 0 || bits == wanted ||
                               (wanted == 32 && bits == 24) || (wanted == 24 && bits == 32) ||
                               bits == 0;
        // A driver without real modes (offscreen) reports one empty mode and
        // takes windows of any size. Elsewhere SDL would quietly hand back
        // another size, so only the exact one counts.
        const bool anySize = m.w == 0 && m.h == 0;
        const bool sizeFits = anySize || (m.w == static_cast<int>(mode->dmPelsWidth) &&
                                          m.h == static_cast<int>(mode->dmPelsHeight));
        if (sizeFits && depthFits)
        {
            if ((flags & CDS_FULLSCREEN) != 0)
            {
                s.haveMode = true;
                s.mode = m;
            }
            return DISP_CHANGE_SUCCESSFUL;
        }
    }
    return DISP_CHANGE_BADMODE;
}

int ShowCursor(BOOL show)
{
    S().cursorCount += show ? 1 : -1;
    if (EnsureVideo())
    {
        SDL_ShowCursor(S().cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    }
    return S().cursorCount;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD)
{
    return rect != nullptr ? TRUE : FALSE;
}

HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* title, DWORD style,
                     int x, int y, int width, int height, HWND, void*, HINSTANCE, void*)
{
    if (className == nullptr || DisplayFaulty(DisplayStep::CreateWindow) || !EnsureVideo())
    {
        return nullptr;
    }
    auto cls = S().classes.find(std::u16string(className));
    if (cls == S().classes.end())
    {
        return nullptr;
    }
    WindowRecord* w = new WindowRecord;
    w->proc = cls->second.lpfnWndProc;
    w->title = title != nullptr ? title : u"";
    w->style = style;
    w->exStyle = exStyle;
    w->x = x;
    w->y = y;
    w->width = width;
    w->height = height;
    w->dc.window = w;
    S().windows.insert(w);
    // The window learns its size while it is being created.
    if (w->proc != nullptr)
    {
        w->proc(w, WM_SIZE, 0,
                MAKELPARAM(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)));
    }
    return w;
}

BOOL DestroyWindow(HWND window)
{
    if (!Live(window) || DisplayFaulty(DisplayStep::DestroyWindow))
    {
        return FALSE;
    }
    if (window->sdl != nullptr)
    {
        if (SDL_GL_GetCurrentWindow() == window->sdl)
        {
            SDL_GL_MakeCurrent(window->sdl, nullptr);
        }
        SDL_DestroyWindow(window->sdl);
    }
    ForgetPresentedFrames(window);
    S().windows.erase(window);
    delete window;
    return TRUE;
}

BOOL ShowWindow(HWND window, int command)
{
    if (!Live(window))
    {
        return FALSE;
    }
    if (window->sdl != nullptr)
    {
        if (command == SW_HIDE)
        {
            SDL_HideWindow(window->sdl);
        }
        else
        {
            SDL_ShowWindow(window->sdl);
        }
    }
    return TRUE;
}

BOOL SetForegroundWindow(HWND window)
{
    if (!Live(window))
    {
        return FALSE;
    }
    if (window->sdl != nullptr)
    {
        SDL_RaiseWindow(window->sdl);
    }
    return TRUE;
}

HWND SetFocus(HWND window)
{
    return Live(window) ? window : nullptr;
}

HWND GetForegroundWindow()
{
    SDL_Window* focus = S().videoReady ? SDL_GetKeyboardFocus() : nullptr;
    if (focus != nullptr)
    {
        HWND w = FindWindowBySdlId(SDL_GetWindowID(focus));
        if (w != nullptr)
        {
            return w;
        }
    }
    return S().windows.empty() ? nullptr : *S().windows.begin();
}

BOOL SetWindowTextW(HWND window, const char16_t* text)
{
    if (!Live(window))
    {
        return FALSE;
    }
    window->title = text != nullptr ? text : u"";
    if (window->sdl != nullptr)
    {
        SDL_SetWindowTitle(window->sdl, Utf16ToUtf8(window->title.c_str()).c_str());
    }
    return TRUE;
}

int GetWindowTextW(HWND window, char16_t* text, int capacity)
{
    if (!Live(window) || text == nullptr || capacity <= 0)
    {
        return 0;
    }
    const int count = std::min(static_cast<int>(window->title.size()), capacity - 1);
    std::copy(window->title.begin(), window->title.begin() + count, text);
    text[count] = u'\0';
    return count;
}

BOOL IsWindow(HWND window)
{
    return Live(window) ? TRUE : FALSE;
}

BOOL GetClientSize(HWND window, int* width, int* height)
{
    if (!Live(window) || width == nullptr || height == nullptr)
    {
        return FALSE;
    }
    if (window->sdl != nullptr)
    {
        SDL_GetWindowSize(window->sdl, width, height);
    }
    else
    {
        *width = window->width;
        *height = window->height;
    }
    return TRUE;
}

HDC GetDC(HWND window)
{
    if (!Live(window) || DisplayFaulty(DisplayStep::GetDC))
    {
        return nullptr;
    }
    return &window->dc;
}

int ReleaseDC(HWND window, HDC dc)
{
    if (!Live(window) || dc != &window->dc || DisplayFaulty(DisplayStep::ReleaseDC))
    {
        return 0;
    }
    return 1;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Live(window) || window->proc == nullptr)
    {
        return 0;
    }
    return window->proc(window, message, wParam, lParam);
}

WNDPROC GetWindowProc(HWND window)
{
    return Live(window) ? window->proc : nullptr;
}

} // namespace platform
